#include "velloc/store/picture.h"

#include "velloc/io/localfile.h"

#include <QBuffer>
#include <QImageReader>

#include <string_view>

namespace velloc {

std::shared_ptr<Picture> Picture::create(QImage image)
{
    auto p = std::make_shared<Picture>();
    p->m_image = std::move(image);
    return p;
}

namespace {

// The formats a picture is decoded from, told by their first bytes. Each is self-contained:
// decoding it reads nothing but the bytes given. Formats Qt reaches through plugins that may
// follow references (SVG opens the files its links name) or that nobody stores as pictures are
// never tried.
const char* rasterFormat(const QByteArray& data)
{
    static constexpr struct {
        std::string_view magic;
        const char* format;
    } formats[] = {
        {"\x89PNG\r\n\x1a\n", "png"},
        {"\xff\xd8\xff", "jpeg"},
        {"GIF87a", "gif"},
        {"GIF89a", "gif"},
        {"BM", "bmp"},
        {std::string_view("\0\0\1\0", 4), "ico"},
    };
    const std::string_view bytes(data.constData(), std::size_t(data.size()));
    for (const auto& f : formats)
        if (bytes.starts_with(f.magic))
            return f.format;
    return nullptr;
}

} // namespace

Result<std::shared_ptr<Picture>> Picture::fromData(const QByteArray& encoded)
{
    const char* format = rasterFormat(encoded);
    if (!format)
        return Error(errc::InvalidArgument, QStringLiteral("The picture data is not PNG, JPEG, BMP, GIF or ICO; a picture is "
                                                           "kept only in one of those formats"));
    QBuffer buffer;
    buffer.setData(encoded);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoDetectImageFormat(false);
    QImage image = reader.read();
    if (image.isNull())
        return Error(errc::InvalidArgument, QStringLiteral("The picture data is not an image this platform can read"));
    auto p = create(std::move(image));
    p->m_encoded = encoded;
    return p;
}

Result<std::shared_ptr<Picture>> Picture::load(const QString& path)
{
    Result<std::shared_ptr<Picture>> picture = fromData(VELLOC_TRY(localfile::readRegular(path, QStringLiteral("picture file"))));
    if (!picture)
        return Error(picture.error().number(), QStringLiteral("%1 is not a picture").arg(path));
    return picture;
}

void Picture::setImage(QImage image)
{
    m_image = std::move(image);
    m_encoded.clear();
}

std::uintptr_t Picture::handle() const
{
    return m_image.isNull() ? 0 : std::uintptr_t(m_image.cacheKey());
}

QByteArray Picture::encoded() const
{
    if (!m_encoded.isEmpty() || m_image.isNull())
        return m_encoded;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    m_image.save(&buffer, "PNG");
    return bytes;
}

bool Picture::sameValue(const Object* other) const
{
    if (other == this)
        return true;
    if (!other)
        return isEmpty();
    const auto* picture = dynamic_cast<const Picture*>(other);
    if (!picture)
        return false;
    if (picture->m_image.format() == m_image.format() || picture->isEmpty() || isEmpty())
        return picture->m_image == m_image;
    // The same pixels kept in two pixel formats (a decoded file, an image made in code) are
    // one picture.
    return picture->m_image.size() == m_image.size()
        && picture->m_image.convertToFormat(QImage::Format_ARGB32) == m_image.convertToFormat(QImage::Format_ARGB32);
}

const DispatchTable& Picture::dispatch() const
{
    // Width and height in hundredths of a millimetre, as the standard picture reports them.
    static const DispatchTable table = [] {
        auto himetric = [](int pixels, int dotsPerMeter) {
            const double dpm = dotsPerMeter > 0 ? dotsPerMeter : 3780.0; // 96 DPI
            return std::int32_t(pixels * 100000.0 / dpm + 0.5);
        };
        DispatchTable t(InterfaceInfo {QStringLiteral("Picture"),
                                       Guid::literal("{7BF80981-BF32-101A-8BBB-00AA00300CAB}"), false, true});
        t.get<Picture>(QStringLiteral("Handle"), 0, {VarType::I4, QStringLiteral("OLE_HANDLE")}, {},
                       [](Picture& p) -> Result<Variant> {
                           // The handle is 32 bits wide here; folded so that a picture holding an
                           // image never reads as 0, which means no picture.
                           const std::uintptr_t h = p.handle();
                           std::uint32_t folded = std::uint32_t(h) ^ std::uint32_t(std::uint64_t(h) >> 32);
                           if (h != 0 && folded == 0)
                               folded = 1;
                           return Variant::fromI4(std::int32_t(folded));
                       });
        t.get<Picture>(QStringLiteral("Type"), 3, {VarType::I2, {}}, {},
                       [](Picture& p) -> Result<Variant> { return Variant::fromI2(p.isEmpty() ? 0 : 1); });
        t.get<Picture>(QStringLiteral("Width"), 4, {VarType::I4, QStringLiteral("OLE_XSIZE_HIMETRIC")}, {},
                       [himetric](Picture& p) -> Result<Variant> {
                           return Variant::fromI4(himetric(p.m_image.width(), p.m_image.dotsPerMeterX()));
                       });
        t.get<Picture>(QStringLiteral("Height"), 5, {VarType::I4, QStringLiteral("OLE_YSIZE_HIMETRIC")}, {},
                       [himetric](Picture& p) -> Result<Variant> {
                           return Variant::fromI4(himetric(p.m_image.height(), p.m_image.dotsPerMeterY()));
                       });
        return t;
    }();
    return table;
}

} // namespace velloc
