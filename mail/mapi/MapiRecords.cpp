#include "mail/mapi/MapiRecords.h"

namespace qel {

char* TMapiStrings::Copy(const String& Text)
{
    FCopies.push_back(Text);
    return FCopies.back().data();
}

}  // namespace qel
