// Records the program's message boxes instead of showing them.
#pragma once

#include <string>
#include <vector>

struct RecordedAlert {
    std::string text;
    std::string caption;
    unsigned icon;
};

// Alerts since the last clear_alerts(); every test starts with an empty list.
const std::vector<RecordedAlert>& recorded_alerts();
void clear_alerts();
