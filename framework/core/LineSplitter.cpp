#include "framework/core/LineSplitter.h"

#include <algorithm>

namespace qel {

String TLineSplitter::EndLine(std::string_view Tail)
{
    if (FPartial.empty()) return String(Tail.substr(0, FMaxLineBytes));  // most lines arrive whole
    Keep(Tail);
    return std::exchange(FPartial, String());
}

void TLineSplitter::Keep(std::string_view Bytes)
{
    FPartial.append(Bytes.substr(0, FMaxLineBytes - std::min(FPartial.size(), FMaxLineBytes)));
}

}  // namespace qel
