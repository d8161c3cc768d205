#pragma once
// The scripted protocol server of the session tests, on 127.0.0.1. Per connection a conversation
// says what the server sends on connecting and in answer to each line the client sends; the
// server keeps every line each client sent, and the text lines a client sends after an answer
// that asks for them, up to a line "." (SMTP's DATA).
//
//     TScriptedServer server(Conversations(TDialogue{{"", {{"+OK ready\r\n"}}},
//                                                    {"QUIT", {{"+OK bye\r\n"}}}}));
//     ... the client connects to server.Port() and talks ...
//     EXPECT_EQ(server.Lines(), (Lines{"QUIT"}));     // waits until the conversations are over
#include "tests/support/LoopbackServer.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qeltest {

enum class TEnd { Stay, Close, Reset };

// What the server sends at one point of a conversation.
struct TAnswer {
    std::vector<std::string> Pieces;        // sent one after another, Gap apart
    std::chrono::milliseconds Gap{0};
    std::chrono::milliseconds Silence{0};   // says nothing for this long first
    TEnd End = TEnd::Stay;                  // then closes, or resets (a moment after any pieces, so they are read first)
    bool ThenText = false;                  // the client then sends text lines up to a line "."
};

// Bytes sent at once (PieceSize 0) or PieceSize bytes at a time, Gap apart.
TAnswer Sent(const std::string& Bytes, size_t PieceSize = 0, std::chrono::milliseconds Gap = {});

// One connection's script.
class TConversation {
public:
    virtual ~TConversation() = default;
    virtual TAnswer Greeting() = 0;
    // The answer to Line (after a text: to its closing "."); nothing: the server reads on.
    virtual std::optional<TAnswer> Answer(const std::string& Line) = 0;
};

// A conversation as a table, row by row: the line the client sends ("" in the first row: the
// greeting) and the server's answer. Once the rows are played the server reads on.
struct TExchange {
    std::string Client;
    TAnswer Server;
};
using TDialogue = std::vector<TExchange>;

std::unique_ptr<TConversation> Played(TDialogue Rows);
std::vector<std::unique_ptr<TConversation>> Conversations(TDialogue Rows);
// The lines a client is expected to send in Rows.
std::vector<std::string> ClientLines(const TDialogue& Rows);

// Accepts one connection per conversation, one after another.
class TScriptedServer {
public:
    explicit TScriptedServer(std::vector<std::unique_ptr<TConversation>> Conversations);

    int Port() const { return FServer.Port(); }
    // Once the conversations are over (it waits for them): what the client of a connection sent.
    const std::vector<std::string>& Lines(size_t Connection = 0);
    const std::vector<std::vector<std::string>>& Texts(size_t Connection = 0);

private:
    struct TRecord {
        std::vector<std::string> Lines;
        std::vector<std::vector<std::string>> Texts;
    };
    void Play(LoopbackPeer& Peer);

    std::vector<std::unique_ptr<TConversation>> FConversations;
    std::vector<TRecord> FRecords;
    size_t FNext = 0;  // the server's thread alone counts connections
    LoopbackServer FServer;  // last: its thread uses the members above
};

}  // namespace qeltest
