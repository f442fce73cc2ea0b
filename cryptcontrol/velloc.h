#pragma once

#include "sharedsettings.h"

#include "cipher/cipher.h"
#include "velloc/hosting/control.h"
#include "velloc/core/module.h"

class QLabel;

namespace velpack {

namespace dispids {
inline constexpr velloc::DispId Encode = 0x60030006;
inline constexpr velloc::DispId EncodeString = 0x60030007;
inline constexpr velloc::DispId Decode = 0x60030008;
inline constexpr velloc::DispId DecodeString = 0x60030009;
inline constexpr velloc::DispId CRC = 0x6003000A;
inline constexpr velloc::DispId KEY = 0x68030005;
inline constexpr velloc::DispId File = 0x68030004;
inline constexpr velloc::DispId Picture = 0x68030003;
inline constexpr velloc::DispId ShowProgress = 0x68030002;
inline constexpr velloc::DispId CancelOperation = 0x60030014;
inline constexpr velloc::DispId About = velloc::dispid::AboutBox;
inline constexpr velloc::DispId ProtectionType = 0x68030001;
inline constexpr velloc::DispId CeaserOffset = 0x68030000;
} // namespace dispids

namespace events {
inline constexpr velloc::DispId Progress = 1;
inline constexpr velloc::DispId Statred = 2;
inline constexpr velloc::DispId Finished = 3;
inline constexpr velloc::DispId Canceled = 4;
} // namespace events

inline constexpr int VersionMajor = 3;
inline constexpr int VersionMinor = 0;
inline constexpr int VersionRevision = 10;

// "3.0 Build 10": the version as the control's face and the about box show it.
QString versionCaption();

// The encryption control: enciphers and deciphers the file named by File in place, and
// strings, with the cipher ProtectionType selects. Its settings are the thread's
// SharedSettings; only the picture is its own.
class Velloc final : public velloc::Control {
public:
    static constexpr velloc::Guid Clsid = velloc::Guid::literal("{1A9BCAD9-4913-11D3-B3D9-303549C10000}");

    Velloc();
    ~Velloc() override;

    static const velloc::DispatchTable& table();
    static const velloc::InterfaceInfo& eventTable();

    QString className() const override { return QStringLiteral("Velloc"); }
    const velloc::DispatchTable& dispatch() const override { return table(); }
    const velloc::InterfaceInfo* eventInterface() const override { return &eventTable(); }
    QList<velloc::Guid> propertyPages() const override;
    bool invisibleAtRunTime() const override { return true; }

    // Container protocol.
    velloc::Result<void> initProperties() override;
    velloc::Result<void> readProperties(const velloc::PropertyBag& bag) override;
    velloc::Result<void> writeProperties(velloc::PropertyBag& bag) override;
    void resize() override;
    void show() override;
    void terminate() override;

    // Methods.
    velloc::Result<bool> Encode();
    velloc::Result<bool> Decode();
    velloc::Result<QString> EncodeString(const QString& StringData);
    velloc::Result<QString> DecodeString(const QString& StringData);
    velloc::Result<velloc::Variant> CRC(const QString& Filename);
    bool CancelOperation();
    velloc::Result<velloc::Variant> About();

    // Properties (assigned through the member table, which also tells the host).
    QString KEY() const;
    QString File() const;
    std::shared_ptr<velloc::Picture> Picture() const;
    bool ShowProgress() const;
    std::int32_t ProtectionType() const;
    std::uint8_t CeaserOffset() const;

    const std::shared_ptr<PictureHolder>& PIC() const { return m_pic; }
    QLabel* Label1() const { return m_label1; }

protected:
    QWidget* createWidget() override;

private:
    // The properties' stores: each checks and keeps a value, and tells no one.
    velloc::Result<void> storeKEY(const QString& New_Key);
    velloc::Result<void> storeFile(const QString& New_File);
    velloc::Result<void> storePicture(std::shared_ptr<velloc::Picture> New_Picture);
    velloc::Result<void> storeShowProgress(bool New_ShowProgress);
    velloc::Result<void> storeProtectionType(std::int32_t New_ProtectionType);
    velloc::Result<void> storeCeaserOffset(std::uint8_t New_CeaserOffset);

    velloc::Result<QString> runStringOperation(const QString& text, cipher::Direction direction);
    velloc::Result<bool> runFileOperation(cipher::Direction direction);
    // The key as the cipher `type` reads it, or its refusal, before any event; empty for the
    // ciphers that do not read it.
    velloc::Result<cipher::SecretText> keyBytes(std::uint8_t type, cipher::Direction direction) const;
    // The run-length routines' progress point: cancel check, bar, event, pending messages.
    bool progressPoint(std::int64_t position);
    void raise(velloc::DispId event, velloc::Variant& argument);

    velloc::ModuleLock m_moduleLock;
    std::shared_ptr<PictureHolder> m_pic;
    QLabel* m_label1 = nullptr;
};

const velloc::TypeLibInfo& vellibTypeLib();

} // namespace velpack
