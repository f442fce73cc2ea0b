#pragma once

#include "velloc/hosting/propertypage.h"

#include <QDialog>

class QPushButton;
class QTabWidget;

namespace velloc {

// The host's property dialog: one tab per page, with OK, Cancel and Apply. A page receives
// the selection (SelectionChanged) the first time its tab is shown; Apply is enabled while a
// page holds edits not applied yet; OK applies them and closes, Cancel closes and applies
// nothing. An error raised by a page's ApplyChanges is shown in a message box, and the sheet
// stays open with that page's edits.
class VELLOC_EXPORT PropertySheet final : public QDialog, private PropertyPageSite {
public:
    // A sheet for `objects` with the pages named by class identifier, in that order.
    static Result<std::unique_ptr<PropertySheet>> create(QList<std::shared_ptr<Object>> objects, const QList<Guid>& pages,
                                                         QWidget* parent = nullptr);
    // A sheet with the pages that every selected control lists, in the first one's order.
    static Result<std::unique_ptr<PropertySheet>> forControls(QList<std::shared_ptr<Object>> controls,
                                                              QWidget* parent = nullptr);

    // Creates a page by class identifier: the runtime's standard pages first, then the pages
    // the runtime or a registered component library provides.
    static Result<std::shared_ptr<PropertyPage>> createPage(const Guid& clsid);

    ~PropertySheet() override;

    const QList<std::shared_ptr<PropertyPage>>& pages() const { return m_pages; }
    const QList<std::shared_ptr<Object>>& selection() const { return m_objects; }
    // A new selection: pages already shown receive SelectionChanged at once, the others when
    // they are first shown.
    Result<void> setSelection(QList<std::shared_ptr<Object>> objects);

    // Applies every page with edits not applied yet, in tab order; stops at the first error.
    Result<void> applyChanges();

    QTabWidget* tabs() const { return m_tabs; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }
    QPushButton* applyButton() const { return m_apply; }

    void accept() override;

private:
    PropertySheet(QList<std::shared_ptr<Object>> objects, QList<std::shared_ptr<PropertyPage>> pages, QWidget* parent);

    void pageChanged(PropertyPage& page) override;
    void showPage(int index);
    void report(const Error& error);
    void updateApply();

    QList<std::shared_ptr<Object>> m_objects;
    QList<std::shared_ptr<PropertyPage>> m_pages;
    QList<bool> m_shown; // parallel to m_pages: has the page received the selection
    QTabWidget* m_tabs = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_apply = nullptr;
};

} // namespace velloc
