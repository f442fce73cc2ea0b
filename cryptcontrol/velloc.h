#pragma once

#include "sharedsettings.h"

#include "cipher/cipher.h"
#include "platform/control.h"
#include "platform/module.h"

class QLabel;

namespace velpack {

namespace dispids {
inline constexpr platform::DispId Encode = 0x60030006;
inline constexpr platform::DispId EncodeString = 0x60030007;
inline constexpr platform::DispId Decode = 0x60030008;
inline constexpr platform::DispId DecodeString = 0x60030009;
inline constexpr platform::DispId CRC = 0x6003000A;
inline constexpr platform::DispId KEY = 0x68030005;
inline constexpr platform::DispId File = 0x68030004;
inline constexpr platform::DispId Picture = 0x68030003;
inline constexpr platform::DispId ShowProgress = 0x68030002;
inline constexpr platform::DispId CancelOperation = 0x60030014;
inline constexpr platform::DispId About = platform::dispid::AboutBox;
inline constexpr platform::DispId ProtectionType = 0x68030001;
inline constexpr platform::DispId CeaserOffset = 0x68030000;
} // namespace dispids

namespace events {
inline constexpr platform::DispId Progress = 1;
inline constexpr platform::DispId Statred = 2;
inline constexpr platform::DispId Finished = 3;
inline constexpr platform::DispId Canceled = 4;
} // namespace events

inline constexpr int VersionMajor = 3;
inline constexpr int VersionMinor = 0;
inline constexpr int VersionRevision = 10;

// "3.0 Build 10": the version as the control's face and the about box show it.
QString versionCaption();

// The encryption control: enciphers and deciphers the file named by File in place, and
// strings, with the cipher ProtectionType selects. Its settings are the thread's
// SharedSettings; only the picture is its own.
class Velloc final : public platform::Control {
public:
    static constexpr platform::Guid Clsid = platform::Guid::literal("{1A9BCAD9-4913-11D3-B3D9-303549C10000}");

    Velloc();
    ~Velloc() override;

    static const platform::DispatchTable& table();
    static const platform::InterfaceInfo& eventTable();

    QString className() const override { return QStringLiteral("Velloc"); }
    const platform::DispatchTable& dispatch() const override { return table(); }
    const platform::InterfaceInfo* eventInterface() const override { return &eventTable(); }
    QList<platform::Guid> propertyPages() const override;
    bool invisibleAtRunTime() const override { return true; }

    // Container protocol.
    platform::Result<void> initProperties() override;
    platform::Result<void> readProperties(const platform::PropertyBag& bag) override;
    platform::Result<void> writeProperties(platform::PropertyBag& bag) override;
    void resize() override;
    void show() override;
    void terminate() override;

    // Methods.
    platform::Result<bool> Encode();
    platform::Result<bool> Decode();
    platform::Result<QString> EncodeString(const QString& StringData);
    platform::Result<QString> DecodeString(const QString& StringData);
    platform::Result<platform::Variant> CRC(const QString& Filename);
    bool CancelOperation();
    platform::Result<platform::Variant> About();

    // Properties (assigned through the member table, which also tells the host).
    QString KEY() const;
    QString File() const;
    std::shared_ptr<platform::Picture> Picture() const;
    bool ShowProgress() const;
    std::int32_t ProtectionType() const;
    std::uint8_t CeaserOffset() const;

    const std::shared_ptr<PictureHolder>& PIC() const { return m_pic; }
    QLabel* Label1() const { return m_label1; }

protected:
    QWidget* createWidget() override;

private:
    // The properties' stores: each checks and keeps a value, and tells no one.
    platform::Result<void> storeKEY(const QString& New_Key);
    platform::Result<void> storeFile(const QString& New_File);
    platform::Result<void> storePicture(std::shared_ptr<platform::Picture> New_Picture);
    platform::Result<void> storeShowProgress(bool New_ShowProgress);
    platform::Result<void> storeProtectionType(std::int32_t New_ProtectionType);
    platform::Result<void> storeCeaserOffset(std::uint8_t New_CeaserOffset);

    platform::Result<QString> runStringOperation(const QString& text, cipher::Direction direction);
    platform::Result<bool> runFileOperation(cipher::Direction direction);
    // The key as the cipher `type` reads it; empty for the ciphers that do not read it.
    platform::Result<std::string> keyBytes(std::uint8_t type) const;
    // The run-length routines' progress point: cancel check, bar, event, pending messages.
    bool progressPoint(std::int64_t position);
    void raise(platform::DispId event, platform::Variant& argument);

    platform::ModuleLock m_moduleLock;
    std::shared_ptr<PictureHolder> m_pic;
    QLabel* m_label1 = nullptr;
};

const platform::TypeLibInfo& vellibTypeLib();

} // namespace velpack
