#include "tests/support/ScriptedServer.h"

#include <thread>
#include <utility>

namespace qeltest {

namespace {

using namespace std::chrono_literals;

class TPlayedDialogue : public TConversation {
public:
    explicit TPlayedDialogue(TDialogue Rows) : FRows(std::move(Rows)) {}

    TAnswer Greeting() override
    {
        if (FRows.empty() || !FRows.front().Client.empty()) return {};
        return FRows[FNext++].Server;
    }

    std::optional<TAnswer> Answer(const std::string&) override
    {
        if (FNext >= FRows.size()) return std::nullopt;
        return FRows[FNext++].Server;
    }

private:
    TDialogue FRows;
    size_t FNext = 0;
};

// False once the answer ended the connection.
bool Send(LoopbackPeer& Peer, const TAnswer& Answer)
{
    if (Answer.Silence > 0ms) Peer.Pause(Answer.Silence);
    for (size_t i = 0; i < Answer.Pieces.size(); ++i) {
        if (i > 0) std::this_thread::sleep_for(Answer.Gap);
        Peer.Send(Answer.Pieces[i]);
    }
    if (Answer.End == TEnd::Reset) {
        if (!Answer.Pieces.empty()) std::this_thread::sleep_for(50ms);
        Peer.Abort();
    }
    if (Answer.End == TEnd::Close) Peer.Close();
    return Answer.End == TEnd::Stay;
}

}  // namespace

TAnswer Sent(const std::string& Bytes, size_t PieceSize, std::chrono::milliseconds Gap)
{
    TAnswer answer;
    answer.Gap = Gap;
    if (PieceSize == 0) PieceSize = Bytes.size() + 1;
    for (size_t i = 0; i < Bytes.size(); i += PieceSize) answer.Pieces.push_back(Bytes.substr(i, PieceSize));
    return answer;
}

std::unique_ptr<TConversation> Played(TDialogue Rows) { return std::make_unique<TPlayedDialogue>(std::move(Rows)); }

std::vector<std::unique_ptr<TConversation>> Conversations(TDialogue Rows)
{
    std::vector<std::unique_ptr<TConversation>> one;
    one.push_back(Played(std::move(Rows)));
    return one;
}

std::vector<std::string> ClientLines(const TDialogue& Rows)
{
    std::vector<std::string> lines;
    for (const TExchange& row : Rows)
        if (!row.Client.empty()) lines.push_back(row.Client);
    return lines;
}

TScriptedServer::TScriptedServer(std::vector<std::unique_ptr<TConversation>> Conversations)
    : FConversations(std::move(Conversations)),
      FRecords(FConversations.size()),
      FServer([this](LoopbackPeer& Peer) { Play(Peer); }, static_cast<int>(FConversations.size()))
{
}

const std::vector<std::string>& TScriptedServer::Lines(size_t Connection)
{
    FServer.Wait();
    return FRecords.at(Connection).Lines;
}

const std::vector<std::vector<std::string>>& TScriptedServer::Texts(size_t Connection)
{
    FServer.Wait();
    return FRecords.at(Connection).Texts;
}

void TScriptedServer::Play(LoopbackPeer& Peer)
{
    const size_t connection = FNext++;
    TConversation& conversation = *FConversations[connection];
    TRecord& record = FRecords[connection];
    if (!Send(Peer, conversation.Greeting())) return;
    while (auto line = Peer.ReadLine()) {
        record.Lines.push_back(*line);
        std::optional<TAnswer> answer = conversation.Answer(*line);
        if (!answer) continue;
        if (!Send(Peer, *answer)) return;
        if (!answer->ThenText) continue;
        std::vector<std::string>& text = record.Texts.emplace_back();
        while ((line = Peer.ReadLine()) && *line != ".") text.push_back(*line);
        if (!line || !Send(Peer, conversation.Answer(".").value_or(TAnswer{}))) return;
    }
}

}  // namespace qeltest
