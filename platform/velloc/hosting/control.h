#pragma once

#include "velloc/store/font.h"
#include "velloc/core/object.h"
#include "velloc/store/propertybag.h"

#include <QPointer>
#include <QSize>
#include <QWidget>

namespace velloc {

class Control;

// The host's side of a sited control.
class VELLOC_EXPORT ControlSite {
public:
    virtual ~ControlSite() = default;
    // A property changed; the host may refuse, and the refusal reaches the setter's caller.
    virtual Result<void> propertyChanged(Control& control, const QString& name) = 0;
    virtual std::shared_ptr<Font> ambientFont() = 0;
    // True in run mode, false while a developer designs the form.
    virtual bool userMode() const = 0;
};

// A control: a component object with a face and the container protocol's notifications.
class VELLOC_EXPORT Control : public Object {
public:
    ~Control() override;

    void setSite(ControlSite* site) { m_site = site; }
    ControlSite* site() const { return m_site; }

    // The container protocol, called by the host. By default each walks the persisted
    // properties of the default interface in table order: a new instance takes every default;
    // a read takes each stored value (its default when absent) as an assignment checks it,
    // without telling the host, and stops at the first it cannot take, the earlier ones kept;
    // a write saves each value that differs from its default.
    virtual Result<void> initProperties() { return initPersisted(); }
    virtual Result<void> readProperties(const PropertyBag& bag) { return readPersisted(bag); }
    virtual Result<void> writeProperties(PropertyBag& bag) { return writePersisted(bag); }
    virtual void resize() {}
    virtual void show() {}
    virtual void terminate() {}

    // The control's pages, in the order a property sheet shows them.
    virtual QList<Guid> propertyPages() const { return {}; }
    // Whether the control has a visible window in a running host.
    virtual bool invisibleAtRunTime() const { return false; }

    // The face; hosts parent and place it. Created on first use.
    QWidget* widget();
    // The host sets the size in twips, then calls resize().
    void setExtent(QSize twips);
    QSize extent() const { return m_extent; }

protected:
    virtual QWidget* createWidget() = 0;
    // Tells the host a property changed, under the given name.
    Result<void> propertyChanged(const QString& name) override;

    // The generic walks, for a class whose protocol differs in part: each skips the properties
    // named in `except` (persisted names).
    Result<void> initPersisted(std::initializer_list<QStringView> except = {});
    Result<void> readPersisted(const PropertyBag& bag, std::initializer_list<QStringView> except = {});
    Result<void> writePersisted(PropertyBag& bag, std::initializer_list<QStringView> except = {});
    // One persisted property, by its persisted name.
    Result<void> writePersistedEntry(PropertyBag& bag, QStringView name);
    bool userMode() const { return m_site ? m_site->userMode() : true; }
    std::shared_ptr<Font> ambientFont() const;

private:
    Result<void> readEntry(const PersistedProperty& p, const PropertyBag* bag);
    Result<void> writeEntry(const PersistedProperty& p, PropertyBag& bag);

    ControlSite* m_site = nullptr;
    QPointer<QWidget> m_widget;
    QSize m_extent;
};

} // namespace velloc
