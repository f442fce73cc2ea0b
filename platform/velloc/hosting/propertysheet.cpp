#include "velloc/hosting/propertysheet.h"

#include "velloc/hosting/control.h"
#include "velloc/store/registry.h"
#include "velloc/hosting/services.h"
#include "velloc/hosting/standardcolorpage.h"
#include "velloc/hosting/standardfontpage.h"
#include "velloc/hosting/standardpicturepage.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace velloc {

Result<std::shared_ptr<PropertyPage>> PropertySheet::createPage(const Guid& clsid)
{
    for (const ClassInfo* standard : {&StandardColorPage::classInfo(), &StandardFontPage::classInfo(),
                                      &StandardPicturePage::classInfo()})
        if (standard->clsid == clsid)
            return std::static_pointer_cast<PropertyPage>(standard->create());
    std::shared_ptr<Object> object = VELLOC_TRY(createObject(clsid.toString()));
    auto page = std::dynamic_pointer_cast<PropertyPage>(object);
    if (!page)
        return Error(errc::CannotCreateObject,
                     QStringLiteral("The class %1 (%2) is not a property page").arg(object->className(), clsid.toString()));
    return page;
}

Result<std::unique_ptr<PropertySheet>> PropertySheet::create(QList<std::shared_ptr<Object>> objects,
                                                             const QList<Guid>& pages, QWidget* parent)
{
    QList<std::shared_ptr<PropertyPage>> created;
    for (const Guid& clsid : pages)
        created.append(VELLOC_TRY(createPage(clsid)));
    return std::unique_ptr<PropertySheet>(new PropertySheet(std::move(objects), std::move(created), parent));
}

Result<std::unique_ptr<PropertySheet>> PropertySheet::forControls(QList<std::shared_ptr<Object>> controls, QWidget* parent)
{
    QList<Guid> common;
    for (qsizetype i = 0; i < controls.size(); ++i) {
        const auto* control = dynamic_cast<const Control*>(controls[i].get());
        const QList<Guid> listed = control ? control->propertyPages() : QList<Guid>();
        if (i == 0)
            common = listed;
        else
            common.removeIf([&listed](const Guid& g) { return !listed.contains(g); });
    }
    return create(std::move(controls), common, parent);
}

PropertySheet::PropertySheet(QList<std::shared_ptr<Object>> objects, QList<std::shared_ptr<PropertyPage>> pages,
                             QWidget* parent)
    : QDialog(parent)
    , m_objects(std::move(objects))
    , m_pages(std::move(pages))
    , m_shown(m_pages.size(), false)
{
    setWindowTitle(QStringLiteral("Property Pages"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    m_tabs = new QTabWidget(this);
    for (const auto& page : m_pages) {
        page->setSite(this);
        m_tabs->addTab(page->widget(), page->caption());
    }
    auto* buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(QDialogButtonBox::Ok);
    m_cancel = buttons->addButton(QDialogButtonBox::Cancel);
    m_apply = buttons->addButton(QDialogButtonBox::Apply);
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &PropertySheet::accept);
    connect(m_cancel, &QPushButton::clicked, this, &PropertySheet::reject);
    connect(m_apply, &QPushButton::clicked, this, [this] {
        if (Result<void> r = applyChanges(); !r)
            report(r.error());
    });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_tabs, &QTabWidget::currentChanged, this, &PropertySheet::showPage);
    if (!m_pages.isEmpty())
        showPage(m_tabs->currentIndex());
    updateApply();
}

PropertySheet::~PropertySheet()
{
    // The faces go with the tabs while the pages are whole: a page deleting its own face later,
    // half destroyed, would make the tabs switch and show a page that no longer works.
    disconnect(m_tabs, nullptr, this, nullptr);
    delete m_tabs;
    for (const auto& page : m_pages)
        page->setSite(nullptr);
}

void PropertySheet::showPage(int index)
{
    if (index < 0 || index >= m_pages.size() || m_shown[index])
        return;
    m_shown[index] = true;
    if (Result<void> r = m_pages[index]->setSelectedControls(m_objects); !r)
        report(r.error());
}

Result<void> PropertySheet::setSelection(QList<std::shared_ptr<Object>> objects)
{
    m_objects = std::move(objects);
    for (qsizetype i = 0; i < m_pages.size(); ++i) {
        if (!m_shown[i])
            continue;
        VELLOC_TRY_VOID(m_pages[i]->setSelectedControls(m_objects));
    }
    return {};
}

Result<void> PropertySheet::applyChanges()
{
    for (const auto& page : m_pages)
        if (page->changed())
            VELLOC_TRY_VOID(page->apply());
    return {};
}

void PropertySheet::accept()
{
    if (Result<void> r = applyChanges(); !r) {
        report(r.error());
        return;
    }
    QDialog::accept();
}

void PropertySheet::pageChanged(PropertyPage&)
{
    updateApply();
}

void PropertySheet::updateApply()
{
    m_apply->setEnabled(std::any_of(m_pages.cbegin(), m_pages.cend(), [](const auto& p) { return p->changed(); }));
}

void PropertySheet::report(const Error& error)
{
    services::messageBox(error.message(), services::MsgIcon::Exclamation, services::MsgButtons::Ok, windowTitle());
}

} // namespace velloc
