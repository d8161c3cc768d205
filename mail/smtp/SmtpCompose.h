#pragma once
// Outgoing composition's plain routines and the composed text; internal to qelmail.
#include "framework/core/Strings.h"

#include <memory>
#include <vector>

namespace qel {

// Plain routines of the unit, used by the composition.
String RandomLetters(int N);             // N letters "a".."y", from a freshly seeded generator
String ZeroPad(int Value, uint8_t Width);
String TimeZoneText();                   // "GMT", "+0130", "-0500"
String TimeZoneText(int Bias);           // the same for Bias minutes west of UTC
String SMTPDateText(TDateTime DateTime, int Bias);  // "Sun, 5 Jul 2026 09:03:07 +0200"
// The RCPT arguments of a message: those of SendTo, CC and BCC in that order, each once (the same
// text twice is one recipient). A CC or BCC without a name adds none, nor does an empty SendTo
// beside them; without any, the arguments are SendTo's as SmtpProtocol::SplitRecipients gives them.
std::vector<String> EnvelopeRecipients(const String& SendTo, const String& CC, const String& BCC);

// The text after DATA in pieces, in order: lines of the composition's own, and attachments'
// EncodedLines shared with them, so that a large attachment is held once while it is sent, and
// its lines stay for the text's life whatever handlers free meanwhile.
class TQELComposedText {
public:
    TStringList& AddOwn();                                     // a new, empty piece at the end
    void AddShared(std::shared_ptr<const TStringList> Lines);  // nullptr adds nothing
    int Count() const;                                         // lines of all pieces
    std::unique_ptr<TStringList> Flatten() const;

    // Visit(const String& Line) for every line in order, until it returns false; false then.
    template <typename TVisit>
    bool ForEachLine(TVisit&& Visit) const
    {
        for (const auto& piece : FPieces)
            for (int i = 0; i < piece->Count(); ++i)
                if (!Visit(piece->Line(i))) return false;
        return true;
    }

private:
    std::vector<std::shared_ptr<const TStringList>> FPieces;
};

}  // namespace qel
