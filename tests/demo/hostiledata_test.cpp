// Bags and window descriptions travel between people: whatever they hold, loading one reads no
// other file, waits on nothing and ends in a clear error or a loaded control.
#include "velloc/hosting/formloader.h"
#include "velloc/store/picture.h"
#include "velloc/store/propertybag.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace velloc;

namespace {

// A folder of things a hostile bag may name, watched for every open and read inside it.
class Bait {
public:
    Bait()
    {
        write(QStringLiteral("secret.txt"), "harbour secret\n");
        QImage image(3, 2, QImage::Format_RGB32);
        image.fill(Qt::red);
        image.save(path(QStringLiteral("pic.png")));
        mkfifo(native(QStringLiteral("fifo")).constData(), 0600);
        // A device node of our own (the numbers of /dev/zero), so that no other process's use of
        // /dev/zero counts as a read.
        m_hasDevice = mknod(native(QStringLiteral("zero")).constData(), S_IFCHR | 0600, makedev(1, 5)) == 0;
        QDir().mkdir(path(QStringLiteral("folder")));
        // One byte more than a bag may hold, and sparse: it costs no disk.
        QFile huge(path(QStringLiteral("huge.bag")));
        if (huge.open(QIODevice::WriteOnly))
            huge.resize((64 << 20) + 1);
        m_watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        inotify_add_watch(m_watch, native({}).constData(), IN_OPEN | IN_ACCESS);
    }
    ~Bait() { ::close(m_watch); }

    QString dir() const { return m_dir.path(); }
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QByteArray native(const QString& name) const { return QFile::encodeName(name.isEmpty() ? dir() : path(name)); }
    bool hasDevice() const { return m_hasDevice; }

    void write(const QString& name, const QByteArray& bytes) const
    {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

    // The names opened or read in the folder since the last call, but for `allowed`.
    QStringList touched(const QString& allowed)
    {
        QStringList names;
        alignas(inotify_event) char buffer[4096];
        ssize_t n = 0;
        while ((n = read(m_watch, buffer, sizeof buffer)) > 0)
            for (char* p = buffer; p < buffer + n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(p);
                const QString name = e->len ? QString::fromUtf8(e->name) : QString();
                if (!name.isEmpty() && name != allowed && !names.contains(name))
                    names << name;
                p += sizeof(inotify_event) + e->len;
            }
        return names;
    }

private:
    QTemporaryDir m_dir;
    int m_watch = -1;
    bool m_hasDevice = false;
};

// Stops a test that waits for ever instead of letting it hang the run.
class Deadline {
public:
    Deadline() { alarm(30); }
    ~Deadline() { alarm(0); }
};

// A PNG header that claims 65535 x 65535 pixels (16 GiB once decoded), and nothing after it.
QByteArray pictureBomb()
{
    auto crc32 = [](const QByteArray& bytes) {
        quint32 c = 0xFFFFFFFF;
        for (char ch : bytes) {
            c ^= quint8(ch);
            for (int k = 0; k < 8; ++k)
                c = (c >> 1) ^ (0xEDB88320 & (0 - (c & 1)));
        }
        return ~c;
    };
    auto be32 = [](quint32 v) {
        const char bytes[] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
        return QByteArray(bytes, 4);
    };
    const QByteArray ihdr = QByteArray("IHDR") + be32(65535) + be32(65535) + QByteArray("\x08\x06\x00\x00\x00", 5);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + be32(13) + ihdr + be32(crc32(ihdr));
}

struct HostileBag {
    const char* name;
    QStringList lines;   // the bag; @DIR@ is the bait folder
    int number;          // the error, or 0 when the bag loads
    const char* message; // what the error says after its line, or the KEY the bag loads
};

void PrintTo(const HostileBag& c, std::ostream* os)
{
    *os << c.name;
}

class HostileBags : public ::testing::TestWithParam<HostileBag> {
protected:
    QStringList lines() const
    {
        QStringList out;
        for (const QString& line : GetParam().lines)
            out << QString(line).replace(QStringLiteral("@DIR@"), bait.dir());
        return out;
    }
    QString message() const { return QString::fromUtf8(GetParam().message).replace(QStringLiteral("@DIR@"), bait.dir()); }

    Bait bait;
};

TEST_P(HostileBags, AreRefusedOrLoadWithoutReadingAnythingElse)
{
    if (!bait.hasDevice() && lines().join(u' ').contains(QStringLiteral("/zero")))
        GTEST_SKIP() << "no device node can be made here";
    bait.write(QStringLiteral("hostile.bag"), lines().join(u'\n').toUtf8() + '\n');
    bait.touched({});
    Deadline deadline;

    const Result<PropertyBag> bag = PropertyBag::load(bait.path(QStringLiteral("hostile.bag")));
    if (GetParam().number) {
        ASSERT_FALSE(bag.ok());
        EXPECT_EQ(bag.error().number(), GetParam().number);
        EXPECT_TRUE(bag.error().message().startsWith(bait.path(QStringLiteral("hostile.bag: ")) + message()))
            << bag.error().message().toStdString();
    } else {
        ASSERT_TRUE(bag.ok()) << bag.error().message().toStdString();
        EXPECT_EQ(bag->read(u"key", Variant()).string(), message());
    }
    EXPECT_EQ(bait.touched(QStringLiteral("hostile.bag")), QStringList());

    // The same lines as a control's saved properties in a window description.
    const QJsonObject velloc {{QStringLiteral("name"), QStringLiteral("Velloc1")},
                              {QStringLiteral("kind"), QStringLiteral("component")},
                              {QStringLiteral("progId"), QStringLiteral("Vellib.Velloc")},
                              {QStringLiteral("bag"), QJsonArray::fromStringList(lines())}};
    const QJsonObject description {{QStringLiteral("controls"), QJsonArray {velloc}}};
    const Result<std::unique_ptr<Form>> form = FormLoader::fromJson(QJsonDocument(description).toJson());
    if (GetParam().number) {
        ASSERT_FALSE(form.ok());
        EXPECT_EQ(form.error().number(), errc::InvalidArgument);
        EXPECT_TRUE(form.error().message().startsWith(QStringLiteral("Velloc1: its saved properties do not read: ") + message()))
            << form.error().message().toStdString();
    } else {
        ASSERT_TRUE(form.ok()) << form.error().message().toStdString();
        const std::shared_ptr<Object> control = form.value()->component(QStringLiteral("Velloc1"));
        const Result<Variant> key = control->invoke(control->dispatch().info().findAnyByName(QStringLiteral("KEY"))->id, InvokeKind::PropertyGet, {});
        EXPECT_EQ(key.ok() ? key->string() : QString(), message());
    }
    EXPECT_EQ(bait.touched({}), QStringList());
}

const QString bomb = QStringLiteral("picture = picture:base64:") + QString::fromLatin1(pictureBomb().toBase64());

INSTANTIATE_TEST_SUITE_P(
    Cases, HostileBags,
    ::testing::Values(
        HostileBag {"FileReference", {"key = file:@DIR@/secret.txt"}, 5,
                    "line 1 (key): file:@DIR@/secret.txt: stored values hold their text, not the name of a file to read"},
        HostileBag {"DeviceReference", {"key = file:@DIR@/zero"}, 5, "line 1 (key): file:@DIR@/zero: stored values"},
        HostileBag {"FifoReference", {"key = file:@DIR@/fifo"}, 5, "line 1 (key): file:@DIR@/fifo: stored values"},
        HostileBag {"PicturePath", {"picture = picture:@DIR@/pic.png"}, 5,
                    "line 1 (picture): picture:@DIR@/pic.png: stored pictures hold their data (picture:base64:...), not "
                    "the name of a file to read"},
        HostileBag {"PictureFifo", {"picture = picture:@DIR@/fifo"}, 5, "line 1 (picture): picture:@DIR@/fifo: stored pictures"},
        HostileBag {"ReferenceAfterGoodLines", {"showprogress = bool:false", "protectiontype = i2:3", "KEY = file:@DIR@/secret.txt"},
                    5, "line 3 (KEY): file:@DIR@/secret.txt"},
        HostileBag {"ObjectReference", {"key = $v"}, 5, "line 1 (key): $v: no objects can be named here"},
        HostileBag {"PictureBomb", {bomb}, 5, "line 1 (picture): The picture data is not an image"},
        HostileBag {"HugeNumber", {"protectiontype = i4:99999999999"}, 6, "line 1 (protectiontype): 99999999999 does not fit"},
        HostileBag {"ReferenceInsideText", {R"(key = "file:@DIR@/secret.txt")"}, 0, "file:@DIR@/secret.txt"},
        HostileBag {"LineInsideText", {R"(key = bstr:"a\nkey = file:@DIR@/secret.txt")"}, 0, "a\nkey = file:@DIR@/secret.txt"}),
    [](const auto& info) { return std::string(info.param.name); });

// A bag or a window description that is itself no regular file, or too large, is refused
// before a byte of it is read.
TEST(HostileFiles, ABagOrDescriptionThatIsNoFileIsRefusedUnread)
{
    Bait bait;
    const std::tuple<QString, int, const char*> rows[] = {
        {QStringLiteral("fifo"), errc::PathFileAccess, "it is a FIFO, not a regular file"},
        {QStringLiteral("zero"), errc::PathFileAccess, "it is a character device, not a regular file"},
        {QStringLiteral("folder"), errc::PathFileAccess, "it is a folder, not a regular file"},
        {QStringLiteral("huge.bag"), errc::Overflow, "it holds 67108865 bytes, more than the 67108864 it may hold"},
        {QStringLiteral("missing"), errc::FileNotFound, "No such file or directory"},
    };
    for (const auto& [name, number, says] : rows) {
        if (name == QLatin1String("zero") && !bait.hasDevice())
            continue;
        SCOPED_TRACE(name.toStdString());
        Deadline deadline;
        const Result<PropertyBag> bag = PropertyBag::load(bait.path(name));
        ASSERT_FALSE(bag.ok());
        EXPECT_EQ(bag.error().number(), number);
        EXPECT_EQ(bag.error().message(), QStringLiteral("Cannot read property bag %1: %2").arg(bait.path(name), QString::fromUtf8(says)));
        const Result<std::unique_ptr<Form>> form = FormLoader::load(bait.path(name));
        ASSERT_FALSE(form.ok());
        EXPECT_EQ(form.error().number(), number);
        EXPECT_EQ(form.error().message(),
                  QStringLiteral("Cannot read the window description %1: %2").arg(bait.path(name), QString::fromUtf8(says)));
        EXPECT_EQ(bait.touched({}), QStringList());
    }
}

// The window's own values are stored text too: its icon is its data, not a file.
TEST(HostileFiles, AWindowIconNamingAFileIsRefusedUnread)
{
    Bait bait;
    bait.touched({});
    const QByteArray json = QStringLiteral(R"({"icon": "picture:%1", "font": "font:\"A\" 8 400 -"})")
                                .arg(bait.path(QStringLiteral("pic.png")))
                                .toUtf8();
    const Result<std::unique_ptr<Form>> form = FormLoader::fromJson(json);
    ASSERT_FALSE(form.ok());
    EXPECT_TRUE(form.error().message().startsWith(QStringLiteral("the form: icon: picture:"))) << form.error().message().toStdString();
    EXPECT_EQ(bait.touched({}), QStringList());
}

// Pictures in bags and descriptions are decoded only from self-contained raster data. SVG can
// name other files (Qt's reader opens them), and formats outside the few a picture is kept in
// are not tried either: each is refused with the entry named, and nothing else is opened.
TEST(HostileFiles, PicturesAreDecodedFromRasterDataOnly)
{
    Bait bait;
    const auto encoded = [](const char* format) {
        QImage image(4, 3, QImage::Format_RGB32);
        image.fill(Qt::green);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, format);
        return bytes;
    };
    // One pixel, as GIF writers make it (Qt reads GIF but does not write it).
    const QByteArray gif = QByteArray::fromHex("47494638396101000100800000ffffff00000021f90401000000002c00000000010001000002024401003b");
    const QByteArray svg = QStringLiteral(R"(<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" )"
                                          R"(width="4" height="4"><image width="4" height="4" xlink:href="file://%1"/></svg>)")
                               .arg(bait.path(QStringLiteral("pic.png")))
                               .toUtf8();
    const std::tuple<const char*, QByteArray, bool> rows[] = {
        {"png", encoded("PNG"), true}, {"jpeg", encoded("JPEG"), true}, {"bmp", encoded("BMP"), true},
        {"ico", encoded("ICO"), true}, {"gif", gif, true},
        {"svg naming a file", svg, false}, {"xpm", encoded("XPM"), false}, {"ppm", encoded("PPM"), false},
        {"text", QByteArray("not a picture at all"), false},
    };
    for (const auto& [name, bytes, accepted] : rows) {
        SCOPED_TRACE(name);
        ASSERT_FALSE(bytes.isEmpty());
        Deadline deadline;
        bait.touched({});
        const QString entry = QStringLiteral("picture:base64:") + QString::fromLatin1(bytes.toBase64());
        const Result<PropertyBag> bag = PropertyBag::fromText(QStringLiteral("key = \"k\"\nBackground = ") + entry);
        const QByteArray json = QJsonDocument(QJsonObject {{QStringLiteral("icon"), entry}}).toJson();
        const Result<std::unique_ptr<Form>> form = FormLoader::fromJson(json);
        EXPECT_EQ(bait.touched({}), QStringList());
        if (accepted) {
            ASSERT_TRUE(bag.ok()) << bag.error().message().toStdString();
            EXPECT_FALSE(bag->read(u"background", Variant()).objectAs<Picture>()->isEmpty());
            EXPECT_TRUE(form.ok()) << form.error().message().toStdString();
            continue;
        }
        ASSERT_FALSE(bag.ok());
        EXPECT_EQ(bag.error().number(), errc::InvalidArgument);
        EXPECT_TRUE(bag.error().message().startsWith(QStringLiteral("line 2 (Background): The picture data is not PNG, JPEG")))
            << bag.error().message().toStdString();
        ASSERT_FALSE(form.ok());
        EXPECT_TRUE(form.error().message().startsWith(QStringLiteral("the form: icon: The picture data is not PNG")))
            << form.error().message().toStdString();
    }
}

// Frames nested as deep as the description's JSON allows load; deeper is refused by the JSON
// reader. Neither exhausts the stack.
TEST(HostileFiles, DeeplyNestedFramesLoadOrAreRefused)
{
    for (const int depth : {500, 5000}) {
        QByteArray json = R"({"controls": )";
        for (int i = 0; i < depth; ++i)
            json += R"([{"kind": "frame", "name": "F)" + QByteArray::number(i) + R"(", "controls": )";
        json += "[]";
        for (int i = 0; i < depth; ++i)
            json += "}]";
        json += "}";
        const Result<std::unique_ptr<Form>> form = FormLoader::fromJson(json);
        EXPECT_EQ(form.ok(), depth == 500) << depth << ": " << (form.ok() ? "" : form.error().message().toStdString());
    }
}

} // namespace
