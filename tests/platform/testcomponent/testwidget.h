#pragma once

#include "velloc/hosting/control.h"
#include "velloc/core/module.h"
#include "velloc/store/picture.h"

// A control built only for the tests. It has one property of each shape the runtime handles
// (string, 16-bit, 8-bit stored behind a 32-bit interface, boolean, by-reference-only picture,
// font), a method that rewrites a by-reference argument, an event whose by-reference argument
// it reads back after raising it, a bag with defaults, and setters that tell the site.
class TestWidget final : public velloc::Control {
public:
    TestWidget();
    ~TestWidget() override;

    static const velloc::ClassInfo& classInfo();
    static const velloc::DispatchTable& table();
    static const velloc::InterfaceInfo& events();

    QString className() const override { return QStringLiteral("TestWidget"); }
    const velloc::DispatchTable& dispatch() const override { return table(); }
    const velloc::InterfaceInfo* eventInterface() const override { return &events(); }

    velloc::Result<void> initProperties() override;
    velloc::Result<void> readProperties(const velloc::PropertyBag& bag) override;
    velloc::Result<void> writeProperties(velloc::PropertyBag& bag) override;

protected:
    QWidget* createWidget() override;

private:
    static void addProperty(velloc::DispatchTable& t, const char* name, velloc::DispId id, velloc::TypeRef type,
                            const char* help, std::function<velloc::Variant(TestWidget&)> get,
                            std::function<velloc::Result<void>(TestWidget&, const velloc::Variant&)> set,
                            velloc::MemberKind kind = velloc::MemberKind::PropertyPut);
    velloc::Result<void> setPicture(const velloc::Variant& picture);
    velloc::Result<velloc::Variant> raise(std::int32_t start);

    velloc::ModuleLock m_lock;
    QString m_caption = QStringLiteral("Widget");
    std::int16_t m_count = 0;
    std::uint8_t m_level = 0;
    bool m_enabled = true;
    std::shared_ptr<velloc::Picture> m_picture = velloc::Picture::create();
    std::shared_ptr<velloc::Font> m_font = velloc::Font::create();
    float m_zoom = 1;
    std::shared_ptr<velloc::Object> m_counter;
};
