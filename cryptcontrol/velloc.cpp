#include "velloc.h"

#include "bgpic.h"
#include "builtinpictures.h"
#include "ciphererror.h"
#include "cipher/catalogue.h"
#include "latin1.h"
#include "prg.h"

#include "velloc/store/picture.h"
#include "velloc/hosting/services.h"
#include "velloc/core/units.h"

#include <QLabel>
#include <QVBoxLayout>

#include <new>

using namespace velloc;

namespace velpack {

static_assert(std::string_view(DefaultKey) == cipher::DefaultKey);

namespace {
constexpr int FaceWidthTwips = 1110;
constexpr int FaceHeightTwips = 960;

const QImage& defaultPicture()
{
    static const QImage image = defaultProgressPicture();
    return image;
}
} // namespace

Velloc::Velloc()
    : m_pic(std::make_shared<PictureHolder>())
{
    m_pic->picture = velloc::Picture::create(defaultPicture());
    setExtent(QSize(FaceWidthTwips, FaceHeightTwips));
}

Velloc::~Velloc() = default;

QList<Guid> Velloc::propertyPages() const
{
    return vellibTypeLib().findClass(Clsid)->propertyPages;
}

// ---- Properties ----

QString Velloc::KEY() const
{
    SharedSettings& s = sharedSettings();
    if (s.CurrentKey.isEmpty())
        s.CurrentKey = QString::fromLatin1(DefaultKey);
    return s.CurrentKey;
}

Result<void> Velloc::storeKEY(const QString& New_Key)
{
    // An empty key, assigned or stored, stands for the built-in one.
    sharedSettings().CurrentKey = New_Key.isEmpty() ? QString::fromLatin1(DefaultKey) : New_Key;
    return {};
}

QString Velloc::File() const
{
    return sharedSettings().CurrentFile;
}

Result<void> Velloc::storeFile(const QString& New_File)
{
    sharedSettings().CurrentFile = New_File;
    return {};
}

std::shared_ptr<velloc::Picture> Velloc::Picture() const
{
    // Without a picture a host still gets a picture object, an empty one (handle 0), so that it
    // can read its handle or size without an error.
    return m_pic->picture ? m_pic->picture : velloc::Picture::create();
}

Result<void> Velloc::storePicture(std::shared_ptr<velloc::Picture> New_Picture)
{
    m_pic->picture = std::move(New_Picture);
    return {};
}

bool Velloc::ShowProgress() const
{
    return sharedSettings().CurrentShowProgress;
}

Result<void> Velloc::storeShowProgress(bool New_ShowProgress)
{
    sharedSettings().CurrentShowProgress = New_ShowProgress;
    return {};
}

std::int32_t Velloc::ProtectionType() const
{
    return sharedSettings().CurrentProtectionType;
}

Result<void> Velloc::storeProtectionType(std::int32_t New_ProtectionType)
{
    if (New_ProtectionType < 0 || New_ProtectionType > 255)
        return Error(errc::Overflow);
    sharedSettings().CurrentProtectionType = std::uint8_t(New_ProtectionType);
    return {};
}

std::uint8_t Velloc::CeaserOffset() const
{
    return sharedSettings().CurrentCeaserOffset;
}

Result<void> Velloc::storeCeaserOffset(std::uint8_t New_CeaserOffset)
{
    sharedSettings().CurrentCeaserOffset = New_CeaserOffset;
    return {};
}

// ---- Container protocol ----
// The persisted properties and their defaults are the member table's; what follows is only
// what this control does differently.

Result<void> Velloc::initProperties()
{
    // A new instance keeps its built-in picture.
    VELLOC_TRY_VOID(initPersisted({u"Picture"}));
    SharedSettings& s = sharedSettings();
    if (s.ProgressPictureBox.expired()) // never set, or its instance is gone
        s.ProgressPictureBox = m_pic;
    return {};
}

Result<void> Velloc::readProperties(const PropertyBag& bag)
{
    VELLOC_TRY_VOID(readPersisted(bag));
    // The last instance loaded draws the progress window.
    sharedSettings().ProgressPictureBox = m_pic;
    return {};
}

Result<void> Velloc::writeProperties(PropertyBag& bag)
{
    // The stored format has the picture second, before the file.
    VELLOC_TRY_VOID(writePersistedEntry(bag, u"Key"));
    VELLOC_TRY_VOID(writePersistedEntry(bag, u"Picture"));
    return writePersisted(bag, {u"Key", u"Picture"});
}

void Velloc::resize()
{
    setExtent(QSize(FaceWidthTwips, FaceHeightTwips));
}

void Velloc::show()
{
    widget();
    m_label1->setText(versionCaption());
}

QString versionCaption()
{
    return QStringLiteral("%1.%2 Build %3").arg(VersionMajor).arg(VersionMinor).arg(VersionRevision);
}

QWidget* Velloc::createWidget()
{
    auto* face = new QWidget;
    face->setFixedSize(units::toPixels(QSize(FaceWidthTwips, FaceHeightTwips)));
    // What the face shows, for assistive technology: the logo and the version under it.
    face->setAccessibleName(QStringLiteral("Velpack %1").arg(versionCaption()));
    face->setAccessibleDescription(QStringLiteral("The Velpack encryption control"));
    auto* logo = new QLabel(face);
    logo->setPixmap(QPixmap::fromImage(faceLogo()));
    logo->setGeometry((face->width() - 73) / 2, 0, 73, 50);
    logo->setAccessibleName(QStringLiteral("Velpack logo"));
    m_label1 = new QLabel(QStringLiteral(" "), face);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label1->setGeometry(units::toPixels(0, 750, 1095, 255));
    m_label1->setAlignment(Qt::AlignCenter);
    QFont font(QStringLiteral("Times New Roman"));
    font.setPointSizeF(8.25);
    m_label1->setFont(font);
    m_label1->setAutoFillBackground(true);
    QPalette palette = m_label1->palette();
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::WindowText, units::toQColor(0x8000000E));
    m_label1->setPalette(palette);
    return face;
}

bool Velloc::CancelOperation()
{
    sharedSettings().CancelRequested = true;
    return false;
}

// ---- String operations ----

void Velloc::raise(DispId event, Variant& argument)
{
    fireEvent(event, std::span<Variant>(&argument, 1));
}

bool Velloc::progressPoint(std::int64_t position)
{
    SharedSettings& s = sharedSettings();
    if (s.CancelRequested)
        return false;
    if (s.ProgressWindow && s.ProgressWindow->isVisible())
        UpdateProgress(std::int32_t(position));
    Variant current = Variant::fromI4(std::int32_t(position));
    raise(events::Progress, current);
    services::doEvents();
    return true;
}

Result<cipher::SecretText> Velloc::keyBytes(std::uint8_t type, cipher::Direction direction) const
{
    // Only the keyed ciphers read the key, so only they refuse a key they cannot carry.
    const cipher::CipherType* row = cipher::findCipherType(type);
    if (!row || !row->usesKey)
        return cipher::SecretText();
    // The key's one copy that lives on is the wiped one; the conversions are wiped at once.
    QByteArray utf8;
    Result<std::string> latin1 = std::string();
    if (row->keyIsUtf8)
        utf8 = KEY().toUtf8();
    else if (!(latin1 = toBytes(KEY(), "key")))
        return latin1.releaseError();
    cipher::SecretText key(row->keyIsUtf8 ? std::string_view(utf8.constData(), std::size_t(utf8.size())) : latin1.value());
    cipher::wipe(utf8.data(), std::size_t(utf8.size()));
    cipher::wipe(latin1.value());
    if (std::optional<cipher::CipherError> refusal = cipher::keyRefusal(type, direction, key.view()))
        return toAutomationError(*refusal);
    return key;
}

Result<QString> Velloc::runStringOperation(const QString& StringData, cipher::Direction direction)
{
    auto self = shared_from_this(); // a handler may release the host's reference
    SharedSettings& s = sharedSettings();
    const std::string text = VELLOC_TRY(toBytes(StringData, "text"));
    const std::uint8_t type = s.CurrentProtectionType;
    const cipher::SecretText key = VELLOC_TRY(keyBytes(type, direction));

    s.CancelRequested = false;
    Variant length = Variant::fromI4(std::int32_t(std::min<qsizetype>(StringData.size(), INT32_MAX)));
    raise(events::Statred, length);

    std::string result;
    if (cipher::CipherRoutine routine = cipher::CipherFor(type, direction)) {
        cipher::CipherParams params;
        params.key = key.view();
        params.ceaserOffset = s.CurrentCeaserOffset;
        params.progress = [this](std::int64_t position) { return progressPoint(position); };
        // A cipher whose calls take a limited text gets the string in pieces of whole codes.
        const std::size_t limit = cipher::stringPieceSize(type, direction);
        const std::size_t piece = limit ? limit : std::max<std::size_t>(text.size(), 1);
        for (std::size_t at = 0; at < text.size() || (at == 0 && text.empty()); at += piece) {
            cipher::CipherResult r = routine(std::string_view(text).substr(at, piece), params);
            if (r.error)
                return toAutomationError(*r.error);
            if (r.cancelled) {
                result.clear();
                break;
            }
            result += r.text;
            if (text.empty())
                break;
        }
    } else {
        result = text;
    }

    raise(events::Progress, length);
    fireEvent(events::Finished);
    s.CancelRequested = false;
    return fromBytes(result);
}

namespace {

// An operation that runs out of memory anywhere fails with the automation error, never by
// ending the host; what it held is let go on the way out (a file operation's new content
// with it, so the file stays as it was).
template <typename Operation>
auto outOfMemoryAsError(Operation operation) -> decltype(operation())
{
    try {
        return operation();
    } catch (const std::bad_alloc&) {
        return Error(errc::OutOfMemory, QStringLiteral("Out of memory: the operation needs more memory than it could get; "
                                                       "nothing was changed"));
    }
}

} // namespace

Result<QString> Velloc::EncodeString(const QString& StringData)
{
    return outOfMemoryAsError([&] { return runStringOperation(StringData, cipher::Direction::Encipher); });
}

Result<QString> Velloc::DecodeString(const QString& StringData)
{
    return outOfMemoryAsError([&] { return runStringOperation(StringData, cipher::Direction::Decipher); });
}

Result<bool> Velloc::Encode()
{
    return outOfMemoryAsError([&] { return runFileOperation(cipher::Direction::Encipher); });
}

Result<bool> Velloc::Decode()
{
    return outOfMemoryAsError([&] { return runFileOperation(cipher::Direction::Decipher); });
}

} // namespace velpack
