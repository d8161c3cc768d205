#include "mail/MapiRecords.h"

char* TMapiStrings::Copy(const String& Text)
{
    FCopies.push_back(Text);
    return FCopies.back().data();
}
