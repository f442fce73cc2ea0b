// File names as text: every byte string comes back as itself, valid UTF-8 reads as its text.
#include "velloc/io/pathcodec.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

using namespace velloc;

namespace {

struct PathCase {
    const char* name;
    QByteArray bytes;
    QString text; // what decodePath() gives
};

void PrintTo(const PathCase& c, std::ostream* os)
{
    *os << c.name;
}

class PathCodec : public ::testing::TestWithParam<PathCase> {};

TEST_P(PathCodec, DecodesAndEncodesBackByteForByte)
{
    const PathCase& c = GetParam();
    EXPECT_EQ(decodePath(c.bytes), c.text);
    EXPECT_EQ(encodePath(decodePath(c.bytes)), c.bytes);
}

QString escapes(std::initializer_list<int> bytes)
{
    QString out;
    for (int b : bytes)
        out += QChar(char16_t(0xDC00 + b));
    return out;
}

// Valid UTF-8 is its text; each byte of a sequence that is not valid UTF-8 (a lone high byte,
// a sequence cut short, an overlong form, an encoded surrogate, a code above U+10FFFF) is
// escaped on its own, and what follows it is read afresh.
INSTANTIATE_TEST_SUITE_P(
    Cases, PathCodec,
    ::testing::Values(
        PathCase {"Ascii", "/tmp/a b.txt", QStringLiteral("/tmp/a b.txt")},
        PathCase {"Utf8", "/tmp/caf\xc3\xa9/\xe2\x82\xac\xf0\x9f\x98\x80", QStringLiteral("/tmp/caf\u00e9/\u20ac") + QChar(0xD83D) + QChar(0xDE00)},
        PathCase {"Latin1Byte", "/tmp/caf\xe9.txt", QStringLiteral("/tmp/caf") + escapes({0xe9}) + QStringLiteral(".txt")},
        PathCase {"EveryHighByte", "\x80\xbf\xc0\xc1\xf5\xff", escapes({0x80, 0xbf, 0xc0, 0xc1, 0xf5, 0xff})},
        PathCase {"CutShort", "a\xe2\x82", QStringLiteral("a") + escapes({0xe2, 0x82})},
        PathCase {"CutShortThenAscii", "\xe2\x82z", escapes({0xe2, 0x82}) + QStringLiteral("z")},
        PathCase {"Overlong", "\xc0\xaf\xe0\x80\xaf", escapes({0xc0, 0xaf, 0xe0, 0x80, 0xaf})},
        PathCase {"EncodedSurrogate", "\xed\xb3\xbf", escapes({0xed, 0xb3, 0xbf})},
        PathCase {"AboveUnicode", "\xf4\x90\x80\x80", escapes({0xf4, 0x90, 0x80, 0x80})},
        PathCase {"Empty", "", QString()}),
    [](const auto& info) { return std::string(info.param.name); });

// Text that did not come from a file name (a lone surrogate with no byte behind it) names no
// file it did not mean: it becomes U+FFFD.
TEST(PathCodecText, ASurrogateWithNoByteBehindItBecomesTheReplacementCharacter)
{
    EXPECT_EQ(encodePath(QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b") + QChar(0xDC7F)),
              QByteArray("a\xef\xbf\xbd" "b\xef\xbf\xbd"));
}

// A name that is not UTF-8, in a folder that is not either, resolves through the file system.
TEST(PathCodecText, CanonicalAndAbsolutePathsKeepTheBytes)
{
    QTemporaryDir dir;
    const QByteArray folder = QDir(dir.path()).canonicalPath().toUtf8() + "/d\xff";
    ASSERT_EQ(mkdir(folder.constData(), 0700), 0);
    const QByteArray file = folder + "/\xfe\xe9.txt";
    const int fd = ::open(file.constData(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    ::close(fd);
    EXPECT_EQ(encodePath(canonicalPath(decodePath(folder + "/./../d\xff/\xfe\xe9.txt"))), file);
    EXPECT_TRUE(canonicalPath(decodePath(folder + "/missing")).isEmpty());
    EXPECT_EQ(encodePath(absolutePath(decodePath(folder + "/x/../y"))), folder + "/y");
    // Qt's own removal reads names as UTF-8 and cannot find these.
    EXPECT_EQ(unlink(file.constData()), 0);
    EXPECT_EQ(rmdir(folder.constData()), 0);
}

} // namespace
