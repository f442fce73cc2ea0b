#pragma once

#include "velloc/core/object.h"

#include <QPointer>
#include <QSize>
#include <QWidget>

namespace velloc {

class PropertyPage;

// The host's side of a property page: told whenever the page's changed flag flips, so that
// it can enable or disable its Apply button.
class VELLOC_EXPORT PropertyPageSite {
public:
    virtual ~PropertyPageSite() = default;
    virtual void pageChanged(PropertyPage& page) = 0;
};

// A property page: a face of its own that edits properties of the controls a host selected.
// The host hands it the selection (the page answers with SelectionChanged) and asks it to
// apply its edits (ApplyChanges); the page tells the host through its changed flag that it
// holds edits not applied yet.
class VELLOC_EXPORT PropertyPage : public Object {
public:
    ~PropertyPage() override;

    // The tab title and the page's size in twips.
    virtual QString caption() const = 0;
    virtual QSize pageSize() const = 0;

    // The face; hosts parent and place it. Created on first use, at the page's size.
    QWidget* widget();

    void setSite(PropertyPageSite* site) { m_site = site; }

    // The host's side of the protocol. The selection is stored before SelectionChanged runs;
    // the changed flag is cleared only when ApplyChanges succeeds.
    Result<void> setSelectedControls(QList<std::shared_ptr<Object>> controls);
    Result<void> apply();

    const QList<std::shared_ptr<Object>>& selectedControls() const { return m_selected; }
    bool changed() const { return m_changed; }
    void setChanged(bool changed);

protected:
    virtual QWidget* createWidget() = 0;
    virtual Result<void> selectionChanged() = 0;
    virtual Result<void> applyChanges() = 0;

    // The selected control at `index`; error 9 when there is none.
    Result<std::shared_ptr<Object>> selectedControl(qsizetype index) const;

    // An interface without members, for pages that publish nothing of their own.
    static DispatchTable emptyInterface(QString name, Guid iid);

private:
    PropertyPageSite* m_site = nullptr;
    QPointer<QWidget> m_widget;
    QList<std::shared_ptr<Object>> m_selected;
    bool m_changed = false;
};

} // namespace velloc
