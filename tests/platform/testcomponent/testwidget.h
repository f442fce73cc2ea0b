#pragma once

#include "platform/control.h"
#include "platform/module.h"
#include "platform/picture.h"

// A control built only for the tests. It has one property of each shape the runtime handles
// (string, 16-bit, 8-bit stored behind a 32-bit interface, boolean, by-reference-only picture,
// font), a method that rewrites a by-reference argument, an event whose by-reference argument
// it reads back after raising it, a bag with defaults, and setters that tell the site.
class TestWidget final : public platform::Control {
public:
    TestWidget();
    ~TestWidget() override;

    static const platform::ClassInfo& classInfo();
    static const platform::DispatchTable& table();
    static const platform::InterfaceInfo& events();

    QString className() const override { return QStringLiteral("TestWidget"); }
    const platform::DispatchTable& dispatch() const override { return table(); }
    const platform::InterfaceInfo* eventInterface() const override { return &events(); }

    platform::Result<void> initProperties() override;
    platform::Result<void> readProperties(const platform::PropertyBag& bag) override;
    platform::Result<void> writeProperties(platform::PropertyBag& bag) override;

protected:
    QWidget* createWidget() override;

private:
    static void addProperty(platform::DispatchTable& t, const char* name, platform::DispId id, platform::TypeRef type,
                            const char* help, std::function<platform::Variant(TestWidget&)> get,
                            std::function<platform::Result<void>(TestWidget&, const platform::Variant&)> set,
                            platform::MemberKind kind = platform::MemberKind::PropertyPut);
    platform::Result<void> setPicture(const platform::Variant& picture);
    platform::Result<platform::Variant> raise(std::int32_t start);

    platform::ModuleLock m_lock;
    QString m_caption = QStringLiteral("Widget");
    std::int16_t m_count = 0;
    std::uint8_t m_level = 0;
    bool m_enabled = true;
    std::shared_ptr<platform::Picture> m_picture = platform::Picture::create();
    std::shared_ptr<platform::Font> m_font = platform::Font::create();
    float m_zoom = 1;
    std::shared_ptr<platform::Object> m_counter;
};
