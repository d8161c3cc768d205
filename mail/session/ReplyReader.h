#pragma once
// What the session engine (TQELMailHost::ReadReply) needs of a protocol's reader of one reply.
#include <cstddef>
#include <string_view>

namespace qel {

class TReplyReader {
public:
    virtual ~TReplyReader() = default;

    virtual bool Complete() const = 0;
    // The most bytes the next read may hand over: a reader that keeps a bounded text then drops
    // nothing, and the size of the reads stays the protocol's choice.
    virtual size_t Room() const = 0;
    // Takes bytes as they arrived and answers how many belong to this reply; the engine keeps the
    // rest for the next reply. While the reply is incomplete at least one byte is taken.
    virtual size_t Take(std::string_view Bytes) = 0;

protected:
    TReplyReader() = default;
    TReplyReader(const TReplyReader&) = default;
    TReplyReader& operator=(const TReplyReader&) = default;
};

}  // namespace qel
