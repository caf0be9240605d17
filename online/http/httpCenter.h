#pragma once
// The application-wide HTTP service: a data object ticked by the data manager that re-checks
// the sign-in while enabled.

#include "data/NSDatas.h"

class httpCenter : public NSUI::NSDatas {
public:
    /// Autoreleased and registered with the data manager; null when init fails.
    static httpCenter* create();
    bool init() override;

    /// Lets the periodic sign-in re-check run.
    void setEnabled(bool enabled) { _enabled = enabled; }
    bool isEnabled() const { return _enabled; }

    void update(float dt) override;

private:
    bool _enabled = false;
};
