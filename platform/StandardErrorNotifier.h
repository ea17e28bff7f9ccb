// Notifications for a program that no one watches on a screen: one line on standard error, which the
// service manager's journal keeps.
#pragma once

#include "platform/Notifier.h"

class StandardErrorNotifier : public Notifier {
public:
    void Notify(const std::string& title, const std::string& text) override;
};
