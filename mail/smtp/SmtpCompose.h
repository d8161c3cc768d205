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

// The text after DATA in pieces, in order: lines of the composition's own, and attachments'
// EncodedLines referred to in place, so that a large attachment is held once while it is sent.
class TQELComposedText {
public:
    TStringList& AddOwn();                    // a new, empty piece at the end
    void AddShared(const TStringList* Lines); // stays its owner's, who keeps it for this text's life
    int Count() const;                        // lines of all pieces
    std::unique_ptr<TStringList> Flatten() const;

    // Visit(const String& Line) for every line in order, until it returns false; false then.
    template <typename TVisit>
    bool ForEachLine(TVisit&& Visit) const
    {
        for (const TStringList* piece : FPieces)
            for (int i = 0; i < piece->Count(); ++i)
                if (!Visit(piece->Line(i))) return false;
        return true;
    }

private:
    std::vector<std::unique_ptr<TStringList>> FOwn;
    std::vector<const TStringList*> FPieces;
};

}  // namespace qel
