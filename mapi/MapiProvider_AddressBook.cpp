// Name resolution against the address book file, and provider-owned buffers.
#include "framework/core/SysUtils.h"
#include "mapi/MapiProvider.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <set>

namespace qel::mapiprovider {

namespace {

struct TBookEntry {
    String Name;
    String Address;
};

std::vector<TBookEntry> ReadBook(const String& BookFile)
{
    std::vector<TBookEntry> Book;
    std::ifstream In(BookFile);
    String Line;
    while (std::getline(In, Line)) {
        String Text = Trim(Line);
        size_t Eq = Text.find('=');
        if (Text.empty() || Text[0] == '#' || Text[0] == ';' || Eq == String::npos)
            continue;
        TBookEntry E{Trim(Text.substr(0, Eq)), Trim(Text.substr(Eq + 1))};
        if (!E.Name.empty() && !E.Address.empty())
            Book.push_back(E);
    }
    return Book;
}

// A mail reader hands over typed addresses as names; one not in the book still names a mailbox.
MAPI_ULONG ResolveToItself(const String& Wanted, String& FoundName, String& FoundAddress)
{
    String Address = Wanted;
    if (Address.size() > 5 && SameText(Address.substr(0, 5), "SMTP:"))
        Address = Trim(Address.substr(5));
    if (Address.find('@') == String::npos || Address.find_first_of(HeaderBreakers) != String::npos)
        return MAPI_E_UNKNOWN_RECIPIENT;
    FoundName = Address;
    FoundAddress = Address;
    return SUCCESS_SUCCESS;
}

std::mutex BufferLock;
std::set<void*>& Buffers()
{
    static std::set<void*> Set;
    return Set;
}

}  // namespace

MAPI_ULONG ResolveInBook(const String& BookFile, const String& Name, String& FoundName,
                         String& FoundAddress)
{
    String Wanted = Trim(Name);
    if (Wanted.empty())
        return MAPI_E_UNKNOWN_RECIPIENT;
    std::vector<TBookEntry> Matches;
    for (const TBookEntry& E : ReadBook(BookFile)) {
        if (SameText(E.Name, Wanted) || SameText(E.Address, Wanted)) {
            FoundName = E.Name;
            FoundAddress = E.Address;
            return SUCCESS_SUCCESS;
        }
        if (E.Name.size() > Wanted.size() && SameText(E.Name.substr(0, Wanted.size()), Wanted))
            Matches.push_back(E);
    }
    if (Matches.empty())
        return ResolveToItself(Wanted, FoundName, FoundAddress);
    if (Matches.size() > 1)
        return MAPI_E_AMBIGUOUS_RECIPIENT;
    FoundName = Matches[0].Name;
    FoundAddress = Matches[0].Address;
    return SUCCESS_SUCCESS;
}

lpMapiRecipDesc NewRecipDesc(const String& Name, const String& Address)
{
    // One block, so that the caller's single MAPIFreeBuffer releases the strings too.
    size_t Size = sizeof(MapiRecipDesc) + Name.size() + 1 + Address.size() + 1;
    void* Block = std::calloc(1, Size);
    if (!Block)
        return nullptr;
    auto* Recip = static_cast<lpMapiRecipDesc>(Block);
    char* Text = static_cast<char*>(Block) + sizeof(MapiRecipDesc);
    std::memcpy(Text, Name.c_str(), Name.size() + 1);
    Recip->lpszName = Text;
    Text += Name.size() + 1;
    std::memcpy(Text, Address.c_str(), Address.size() + 1);
    Recip->lpszAddress = Text;
    Recip->ulRecipClass = MAPI_TO;
    std::lock_guard<std::mutex> Guard(BufferLock);
    Buffers().insert(Block);
    return Recip;
}

bool FreeTracked(void* Buffer)
{
    std::lock_guard<std::mutex> Guard(BufferLock);
    // Only what this provider handed out may be freed; anything else is refused.
    if (Buffers().erase(Buffer) == 0)
        return false;
    std::free(Buffer);
    return true;
}

}  // namespace qel::mapiprovider
