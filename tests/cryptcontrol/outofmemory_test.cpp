// An operation that cannot get the memory it needs fails with error 7 and changes nothing; the
// host goes on. The allocator of this test program refuses any single allocation above a limit
// while a test asks it to, as an exhausted address space would.
#include "filefixture.h"

#include "cipher/catalogue.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<std::size_t> allocationLimit {0}; // 0: no limit
}

void* operator new(std::size_t size)
{
    const std::size_t limit = allocationLimit.load(std::memory_order_relaxed);
    if (limit && size > limit)
        throw std::bad_alloc();
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

using namespace velloc;
using namespace testsupport;
namespace d = velpack::dispids;

namespace {

struct LimitedAllocations {
    explicit LimitedAllocations(std::size_t limit) { allocationLimit = limit; }
    ~LimitedAllocations() { allocationLimit = 0; }
};

struct OutOfMemoryCase {
    const char* name;
    int type;
    DispId operation;
    bool onAFile;
    // A string goes through whole; a file in pieces of 256 KiB, so only a smaller limit stops it.
    std::size_t limit = 1 << 20;
};

void PrintTo(const OutOfMemoryCase& c, std::ostream* os) { *os << c.name; }

class OutOfMemory : public FileFixture, public ::testing::WithParamInterface<OutOfMemoryCase> {};

TEST_P(OutOfMemory, FailsWithError7AndChangesNothing)
{
    const OutOfMemoryCase& c = GetParam();
    // Runs of three, so that both directions of the run-length cipher have work.
    QByteArray text(4 << 20, 'a');
    for (qsizetype i = 0; i < text.size(); i += 7)
        text[i] = 'b';
    const QString path = file(text);
    ASSERT_TRUE(host->put(d::ProtectionType, Variant::fromI4(c.type)).ok());
    const QString string = QString::fromLatin1(text);
    const Result<Variant> r = [&] {
        LimitedAllocations limit(c.limit);
        return c.onAFile ? host->call(c.operation) : host->call(c.operation, {Variant::fromString(string)});
    }();
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().number(), errc::OutOfMemory) << r.error().message().toStdString();
    EXPECT_FALSE(host->log.contains(QStringLiteral("event v.Finished()")));
    EXPECT_EQ(readAll(path), text);
    EXPECT_EQ(dir.entries(), QStringList {QStringLiteral("data.bin")});
    // Nothing is left half-done: the next operation runs.
    EXPECT_TRUE(host->call(d::EncodeString, {Variant::fromString(QStringLiteral("abc"))}).ok());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OutOfMemory,
    ::testing::Values(OutOfMemoryCase {"RunLengthEncodeFile", 1, d::Encode, true, 64 << 10},
                      OutOfMemoryCase {"RunLengthDecodeFile", 1, d::Decode, true, 64 << 10},
                      OutOfMemoryCase {"RunLengthEncodeString", 1, d::EncodeString, false},
                      OutOfMemoryCase {"StandardEncodeString", 0, d::EncodeString, false},
                      OutOfMemoryCase {"CodebookDecodeString", 4, d::DecodeString, false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
