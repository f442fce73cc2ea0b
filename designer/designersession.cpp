#include "designersession.h"

#include "controltaskmenu.h"

#include "velloc/hosting/controlhost.h"
#include "velloc/hosting/propertysheet.h"
#include "velloc/hosting/services.h"

#include <QDesignerFormEditorInterface>
#include <QDesignerFormWindowCursorInterface>
#include <QDesignerFormWindowInterface>
#include <QDesignerFormWindowManagerInterface>
#include <QDesignerPropertySheetExtension>
#include <QExtensionManager>
#include <QMetaProperty>
#include <QPixmap>

namespace velloc::designer {

namespace {

// QVariant has no equality for pixmaps: compare what they show.
bool sameValue(const QVariant& a, const QVariant& b)
{
    if (a.metaType() == QMetaType::fromType<QPixmap>() && b.metaType() == a.metaType()) {
        const QPixmap pa = a.value<QPixmap>();
        const QPixmap pb = b.value<QPixmap>();
        return pa.cacheKey() == pb.cacheKey() || pa.toImage() == pb.toImage();
    }
    return a == b;
}

} // namespace

DesignerSession::DesignerSession(QObject* parent) : QObject(parent) {}

void DesignerSession::attach(QDesignerFormEditorInterface* core)
{
    if (!core || m_core == core)
        return;
    m_core = core;
    core->extensionManager()->registerExtensions(new ControlTaskMenuFactory(core->extensionManager()),
                                                 Q_TYPEID(QDesignerTaskMenuExtension));
    QDesignerFormWindowManagerInterface* forms = core->formWindowManager();
    if (!forms)
        return;
    connect(forms, &QDesignerFormWindowManagerInterface::formWindowAdded, this, &DesignerSession::watchForm);
    for (int i = 0; i < forms->formWindowCount(); ++i)
        watchForm(forms->formWindow(i));
}

void DesignerSession::watchForm(QDesignerFormWindowInterface* form)
{
    connect(form, &QDesignerFormWindowInterface::widgetManaged, this, &DesignerSession::groupProperties);
}

void DesignerSession::groupProperties(QWidget* widget) const
{
    auto* host = qobject_cast<ControlHost*>(widget);
    if (!m_core || !host || host->isNull())
        return;
    auto* sheet = qt_extension<QDesignerPropertySheetExtension*>(m_core->extensionManager(), widget);
    if (!sheet)
        return;
    for (const MemberInfo& m : host->object()->dispatch().info().members) {
        if (m.kind != MemberKind::PropertyGet || m.category.isEmpty())
            continue;
        const int index = sheet->indexOf(m.name);
        if (index >= 0)
            sheet->setPropertyGroup(index, m.category);
    }
}

QList<DesignerSession::PropertyValue> DesignerSession::snapshot(const ControlHost& host)
{
    QList<PropertyValue> out;
    const QMetaObject* mo = host.metaObject();
    for (int i = ControlHost::staticMetaObject.propertyCount(); i < mo->propertyCount(); ++i) {
        const QMetaProperty p = mo->property(i);
        if (p.isWritable())
            out << PropertyValue {p.name(), p.read(&host)};
    }
    return out;
}

QStringList DesignerSession::recordChanges(QDesignerFormWindowInterface* form, ControlHost& host,
                                           const QList<PropertyValue>& before, const QString& description)
{
    QList<PropertyValue> changed;
    for (const PropertyValue& old : before) {
        const QVariant now = host.property(old.name);
        if (!sameValue(old.value, now))
            changed << PropertyValue {old.name, now};
    }
    QStringList names;
    for (const PropertyValue& c : std::as_const(changed))
        names << QString::fromLatin1(c.name);
    if (!form || changed.isEmpty())
        return names;
    // A form names a picture by its file or resource, and a page's picture has neither: the
    // form keeps the control's saved state instead, and the picture property goes back to
    // unset so that it does not override that state when the form is loaded.
    const bool pictureChanged = std::any_of(changed.begin(), changed.end(), [](const PropertyValue& c) {
        return c.value.metaType() == QMetaType::fromType<QPixmap>();
    });
    const QString state = pictureChanged ? host.savedState() : QString();
    // Designer takes a command's old value from the widget: the control goes back to what it
    // had, and the commands give it the new values, so that undo has something to return to.
    for (const PropertyValue& old : before)
        if (names.contains(QString::fromLatin1(old.name)))
            host.setProperty(old.name, old.value);
    QDesignerFormWindowCursorInterface* cursor = form->cursor();
    form->beginCommand(description);
    for (const PropertyValue& c : std::as_const(changed)) {
        const QString name = QString::fromLatin1(c.name);
        if (c.value.metaType() == QMetaType::fromType<QPixmap>()) {
            cursor->resetWidgetProperty(&host, name);
            continue;
        }
        const QMetaProperty p = host.metaObject()->property(host.metaObject()->indexOfProperty(c.name));
        // The property editor holds enumerations as their numbers.
        cursor->setWidgetProperty(&host, name, p.isEnumType() ? QVariant(c.value.toInt()) : c.value);
    }
    if (pictureChanged)
        cursor->setWidgetProperty(&host, QStringLiteral("savedState"), state);
    form->endCommand();
    return names;
}

Result<void> DesignerSession::showProperties(ControlHost& host)
{
    if (host.isNull())
        return host.lastError();
    QDesignerFormWindowInterface* form = QDesignerFormWindowInterface::findFormWindow(&host);
    const QList<PropertyValue> before = snapshot(host);
    QWidget* owner = form ? static_cast<QWidget*>(form) : host.window();
    std::unique_ptr<PropertySheet> sheet = VELLOC_TRY(PropertySheet::forControls({host.object()->shared_from_this()}, owner));
    const QString name = host.objectName().isEmpty() ? host.progId() : host.objectName();
    sheet->setWindowTitle(tr("Properties of %1").arg(name));
    services::showModal(sheet.get(), owner);
    sheet.reset();
    recordChanges(form, host, before, tr("Properties of %1").arg(name));
    return {};
}

Result<void> DesignerSession::showAbout(ControlHost& host)
{
    if (host.isNull())
        return host.lastError();
    if (!host.object()->dispatch().info().find(dispid::AboutBox, MemberKind::Method))
        return Error(errc::NotSupported, tr("%1 has no About box").arg(host.progId()));
    host.invokeMethod(dispid::AboutBox);
    if (host.lastError().number() != 0)
        return host.lastError();
    return {};
}

} // namespace velloc::designer
