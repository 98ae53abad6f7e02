// Swaps the message-box shower for a recorder before any test runs.
#include "alert_recorder.h"

#include "core/platform.h"

#include <gtest/gtest.h>

static std::vector<RecordedAlert> g_Alerts;

const std::vector<RecordedAlert>& recorded_alerts() {
    return g_Alerts;
}
void clear_alerts() {
    g_Alerts.clear();
}

namespace {

void record_alert(const char* text, const char* caption, unsigned icon) {
    g_Alerts.push_back({text, caption, icon});
}

class AlertRecorderListener : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override {
        g_pfnAlert = record_alert;
        clear_alerts();
    }
};

struct Registration {
    Registration() {
        testing::UnitTest::GetInstance()->listeners().Append(new AlertRecorderListener);
    }
} g_Registration;

} // namespace
