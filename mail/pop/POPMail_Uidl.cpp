// TQELPOPMail's "only new messages": the UIDL listing, the host's seen check, the ids recorded.
#include "mail/pop/POPMail.h"

#include "framework/core/Application.h"
#include "framework/core/SysUtils.h"
#include "mail/pop/PopProtocol.h"

#include <utility>

namespace qel {

namespace {

const char* const UidlRefused = "the server gives no unique ids (UIDL), so no message is fetched: ";
const char* const UidlTooLong = "the UIDL listing exceeds ";

}  // namespace

void TQELPOPMail::SetSeenUIDs(TStrings* Value)
{
    if (Value == FSeenUIDs.get()) return;
    if (Value) FSeenUIDs->Assign(Value);
    else FSeenUIDs->Clear();
}

bool TQELPOPMail::NewOnly() const
{
    return CurrentAccount && CurrentAccount->Pop3NewOnly;
}

bool TQELPOPMail::ReadUniqueIds()
{
    FUids.clear();
    // C: UIDL  S: +OK  1 whqtswO00WBw418f9t5JxYwZ  2 QhdPYR:00WBw1Ph7x7  .
    const String command = PopProtocol::Uidl();
    if (NoSessionFor(command) || Aborted) return false;
    SendSocketText(command);
    String listing = GetSocketText();
    if (ReplyError) {
        // Without the ids every message would pass for new: nothing is fetched rather than all.
        if (!Aborted) AbortSession("0", UidlRefused + LastStatus + " " + LastMessage);
        return false;
    }
    PopProtocol::TTerminatorSearch search;
    search.Feed(listing);  // the reply ends at the terminator at most
    while (!search.Found()) {
        Application->ProcessMessages();
        if (Aborted) return false;
        if (listing.size() > PopProtocol::MaxUidListingBytes) {
            AbortSession("0", UidlTooLong + IntToStr(PopProtocol::MaxUidListingBytes) + " bytes");
            return false;
        }
        PopProtocol::TTextPiece piece(search);
        try {
            if (!AwaitReply(piece)) return false;  // reported by the engine
        } catch (const ESocketError&) {
            return false;  // reported by the socket's notice
        }
        listing += std::move(piece).Text();
    }
    FUids = PopProtocol::UidListing(listing);
    FSeenIndex = {};
    for (int i = 0; i < FSeenUIDs->Count(); ++i) FSeenIndex.insert(FSeenUIDs->Strings(i));
    return true;
}

bool TQELPOPMail::SeenBefore(uint16_t Number)
{
    const auto uid = FUids.find(Number);
    // A message the listing leaves out cannot be told seen: fetched rather than lost.
    if (uid == FUids.end()) return false;
    bool seen = false;
    if (OnCheckSeen) OnCheckSeen(this, uid->second, seen);
    else seen = FSeenIndex.count(uid->second) > 0;
    return seen;
}

void TQELPOPMail::NoteSeen(uint16_t Number)
{
    const auto uid = FUids.find(Number);
    if (uid == FUids.end()) return;
    if (FSeenIndex.insert(uid->second).second) FSeenUIDs->Add(uid->second);
}

}  // namespace qel
