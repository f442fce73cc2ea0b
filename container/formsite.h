#pragma once

#include "velloc/hosting/control.h"

namespace container {

class DesignForm;

// What the controls of a form being designed talk to: the site that hears their property
// changes and answers their questions (the ambient font, design or run mode), and the sink of
// their events. It names each control as the form does, and tells the form.
class FormSite final : public velloc::ControlSite, public velloc::EventSink {
public:
    explicit FormSite(DesignForm& form) : m_form(form) {}

    velloc::Result<void> propertyChanged(velloc::Control& control, const QString& name) override;
    std::shared_ptr<velloc::Font> ambientFont() override;
    bool userMode() const override;
    void onEvent(velloc::Object& source, const velloc::MemberInfo& event, std::span<velloc::Variant> args) override;

private:
    DesignForm& m_form;
};

} // namespace container
