#include "mail/pop/PopProtocol.h"

#include <gtest/gtest.h>

using namespace qel;

namespace {

using namespace PopProtocol;

// Feeds Text to a fresh reply in two pieces split at Cut, then in single bytes from there on.
TReply FedSplit(const String& Text, size_t Cut)
{
    TReply reply;
    reply.Feed(std::string_view(Text).substr(0, Cut));
    for (size_t i = Cut; i < Text.size(); ++i) reply.Feed(std::string_view(Text).substr(i, 1));
    return reply;
}

// The bytes of Text that a search keeps when Text arrives cut at Cut and Cut2.
String KeptBySearch(const String& Text, size_t Cut, size_t Cut2)
{
    TTerminatorSearch search;
    const std::string_view all(Text);
    String kept;
    for (auto [from, to] : {std::pair{size_t{0}, Cut}, std::pair{Cut, Cut2}, std::pair{Cut2, Text.size()}}) {
        const std::string_view chunk = all.substr(from, to - from);
        kept.append(chunk.substr(0, search.Feed(chunk)));
    }
    return search.Found() ? kept : "<not found>";
}

}  // namespace

TEST(PopProtocol, BuildersGiveOneLineEach)
{
    EXPECT_EQ(User("ann"), "USER ann\r\n");
    EXPECT_EQ(Pass("pa ss"), "PASS pa ss\r\n");
    EXPECT_EQ(Stat(), "STAT\r\n");
    EXPECT_EQ(Retr(3), "RETR 3\r\n");
    EXPECT_EQ(Retr(65535), "RETR 65535\r\n");
    EXPECT_EQ(Top(12), "TOP 12 0\r\n");
    EXPECT_EQ(Dele(1), "DELE 1\r\n");
    EXPECT_EQ(Quit(), "QUIT\r\n");
    // A user name or password cannot smuggle a command of its own onto the wire.
    EXPECT_EQ(User("ann\r\nDELE 1"), "USER annDELE 1\r\n");
    EXPECT_EQ(Pass("x\ny\rz"), "PASS xyz\r\n");
}

TEST(PopProtocol, ReplyLineIsReadWholeHoweverItIsSplit)
{
    const String text = "+OK 3 5120\r\n";
    for (size_t cut = 0; cut <= text.size(); ++cut) {
        const TReply reply = FedSplit(text, cut);
        SCOPED_TRACE(cut);
        EXPECT_TRUE(reply.Complete());
        EXPECT_EQ(reply.Text(), text);
        EXPECT_EQ(reply.Status(), "+OK");
        EXPECT_EQ(reply.Message(), "3 5120");
        EXPECT_FALSE(reply.IsError());
    }
    // Not complete before its line end, whatever came so far.
    TReply partial;
    EXPECT_FALSE(partial.Feed("+OK 3 5120\r"));
    EXPECT_EQ(partial.Message(), "");
    EXPECT_TRUE(partial.Feed("\n"));
}

TEST(PopProtocol, ReplyStatusAndText)
{
    auto read = [](const String& Text) {
        TReply reply;
        reply.Feed(Text);
        return reply;
    };
    EXPECT_TRUE(read("-ERR no such message\r\n").IsError());
    EXPECT_TRUE(read("-err lower case\r\n").IsError());
    EXPECT_EQ(read("-err lower case\r\n").Status(), "-ERR");
    EXPECT_EQ(read("-ERR\r\n").Message(), "");
    EXPECT_TRUE(read("-ERR\r\n").IsError());
    EXPECT_EQ(read("+OK\r\n").Status(), "+OK");
    EXPECT_EQ(read("+OK\r\n").Message(), "");
    EXPECT_FALSE(read("+OK\r\n").IsError());
    EXPECT_FALSE(read("-ER\r\n").IsError());
    EXPECT_EQ(read("+OK   padded text  \r\n").Message(), "padded text");
    // Only the first line speaks, and only it is taken: what follows is the next reply's.
    TReply stat;
    EXPECT_EQ(stat.Take("+OK 2 300\r\n+OK 120 octets\r\n"), 11u);
    EXPECT_EQ(stat.Message(), "2 300");
    EXPECT_EQ(stat.Text(), "+OK 2 300\r\n");
}

TEST(PopProtocol, ReplyWithTextTakesWhatCameWithItUpToTheTerminator)
{
    // The start of a message that came with its status line is kept as it came.
    TReply retr(true);
    EXPECT_EQ(retr.Take("+OK 120 octets\r\nFrom: a@b\r\n"), 27u);
    EXPECT_EQ(retr.Message(), "120 octets");
    EXPECT_EQ(retr.Text(), "+OK 120 octets\r\nFrom: a@b\r\n");
    // Not past the terminator (the status line's own line end may begin it), nor after "-ERR".
    TReply empty(true);
    EXPECT_EQ(empty.Take("+OK\r\n.\r\n+OK deleted\r\n"), 8u);
    TReply refused(true);
    EXPECT_EQ(refused.Take("-ERR no such message\r\n+OK bye\r\n"), 22u);
    EXPECT_EQ(refused.Text(), "-ERR no such message\r\n");
    // A status line in pieces: the text comes with the read that ends it.
    TReply pieces(true);
    EXPECT_EQ(pieces.Take("+OK 1"), 5u);
    EXPECT_FALSE(pieces.Complete());
    EXPECT_EQ(pieces.Take("0\r\nab\r\n.\r\n+OK"), 10u);
    EXPECT_EQ(pieces.Text(), "+OK 10\r\nab\r\n.\r\n");
}

TEST(PopProtocol, TextPiecesEndAtTheTerminator)
{
    TTerminatorSearch search;
    search.Feed("+OK\r\nfirst");
    TTextPiece one(search);
    EXPECT_FALSE(one.Complete());
    EXPECT_EQ(one.Take(" line\r\n.\r"), 9u);
    EXPECT_TRUE(one.Complete());
    TTextPiece two(search);
    EXPECT_EQ(two.Take("\n+OK bye\r\n"), 1u);  // the terminator's last byte, not the next reply
    EXPECT_TRUE(search.Found());
    EXPECT_EQ(std::move(two).Text(), "\n");
}

TEST(PopProtocol, CommandNamesForReports)
{
    EXPECT_EQ(CommandName(User("ann")), "USER");
    EXPECT_EQ(CommandName(Pass("secret")), "PASS");  // never the password
    EXPECT_EQ(CommandName(Stat()), "STAT");
    EXPECT_EQ(CommandName(Retr(3)), "RETR 3");
    EXPECT_EQ(CommandName(Top(3)), "TOP 3 0");
    EXPECT_EQ(CommandName(Dele(12)), "DELE 12");
    EXPECT_EQ(CommandName(Quit()), "QUIT");
    EXPECT_TRUE(TextFollows("RETR 3"));
    EXPECT_TRUE(TextFollows("TOP 3 0"));
    EXPECT_FALSE(TextFollows("DELE 3"));
    EXPECT_FALSE(TextFollows(""));
}

TEST(PopProtocol, ReplyWithoutLineEndStopsGrowing)
{
    TReply reply;
    const String block(4096, 'x');
    while (!reply.Feed(block)) {}
    EXPECT_EQ(reply.Text().size(), TReply::MaxTextBytes);
    EXPECT_EQ(reply.Message(), "");
}

TEST(PopProtocol, TerminatorFoundAtEveryCut)
{
    const String text = "+OK\r\nline\r\n..dot\r\n.\r\n";
    for (size_t cut = 0; cut <= text.size(); ++cut)
        for (size_t cut2 = cut; cut2 <= text.size(); ++cut2)
            ASSERT_EQ(KeptBySearch(text, cut, cut2), text) << cut << "/" << cut2;
}

TEST(PopProtocol, TerminatorSearchKeepsNothingAfterIt)
{
    EXPECT_EQ(KeptBySearch("+OK\r\n.\r\njunk", 2, 9), "+OK\r\n.\r\n");
    // A dot-stuffed line and a dot inside a line end nothing.
    EXPECT_EQ(KeptBySearch("+OK\r\n..\r\na.\r\nb\r\n.x\r\n", 3, 10), "<not found>");
    // The status line's own line end may begin the terminator: an empty message.
    EXPECT_EQ(KeptBySearch("+OK\r\n.\r\n", 4, 5), "+OK\r\n.\r\n");
    TTerminatorSearch search;
    search.Feed("\r\n.\r\n");
    EXPECT_EQ(search.Feed("more"), 0u);
}

TEST(PopProtocol, TerminatorInLargeChunks)
{
    // A terminator well inside a large chunk, and one that a large chunk's last bytes begin.
    const String body(70000, 'a');
    const String text = "+OK\r\n" + body + "\r\n.\r\n";
    EXPECT_EQ(KeptBySearch(text + "junk", 3, 65536), text);
    EXPECT_EQ(KeptBySearch(text, text.size() - 3, text.size() - 1), text);
    EXPECT_EQ(KeptBySearch(body + "\r\n.\r", 10, 65536), "<not found>");
}

TEST(PopProtocol, NumbersInReplies)
{
    EXPECT_EQ(StatCount("3 5120"), 3);
    EXPECT_EQ(StatCount("0 0"), 0);
    EXPECT_EQ(StatCount("2"), 0);      // no blank after the count
    EXPECT_EQ(StatCount(""), 0);
    EXPECT_EQ(StatCount("many 1"), 0);
    EXPECT_EQ(StatCount("70000 1"), 70000 - 65536);
    EXPECT_EQ(StatCount("-1 0"), 0);   // not 65535 requests
    EXPECT_EQ(AnnouncedSize("5120 octets"), 5120);
    EXPECT_EQ(AnnouncedSize(""), 100);
    EXPECT_EQ(AnnouncedSize("5120"), 100);  // no blank after the size
    EXPECT_EQ(AnnouncedSize("0 octets"), 100);
    EXPECT_EQ(AnnouncedSize("-5 octets"), 100);
    EXPECT_EQ(AnnouncedSize("message follows"), 100);
}

TEST(PopProtocol, SecureAndUniqueIdCommands)
{
    EXPECT_EQ(Stls(), "STLS\r\n");
    EXPECT_EQ(Uidl(), "UIDL\r\n");
    EXPECT_EQ(CommandName(Uidl()), "UIDL");
    EXPECT_EQ(CommandName(Stls()), "STLS");
    // The listing is multi-line; "UIDL n" answers on its status line, STLS too.
    EXPECT_TRUE(TextFollows("UIDL"));
    EXPECT_TRUE(TextFollows("uidl"));
    EXPECT_FALSE(TextFollows("UIDL 3"));
    EXPECT_FALSE(TextFollows("STLS"));
}

TEST(PopProtocol, UidListingByNumber)
{
    const auto ids = UidListing("+OK 4 messages\r\n1 whqtswO00WBw418f9t5JxYwZ\r\n2 QhdPYR:00WBw1Ph7x7\r\n"
                                "3\tabc \r\n2 second-for-2\r\n0 zero\r\n70000 big\r\nx bad\r\n4\r\n.\r\n9 after\r\n");
    const std::map<uint16_t, String> expected = {{1, "whqtswO00WBw418f9t5JxYwZ"}, {2, "QhdPYR:00WBw1Ph7x7"}, {3, "abc"}};
    EXPECT_EQ(ids, expected);
    EXPECT_TRUE(UidListing("+OK\r\n.\r\n").empty());
    EXPECT_TRUE(UidListing("").empty());
    // Bare line ends and a listing cut short keep what was complete.
    EXPECT_EQ(UidListing("+OK\n5 Aa\n6 aA"), (std::map<uint16_t, String>{{5, "Aa"}, {6, "aA"}}));
}
