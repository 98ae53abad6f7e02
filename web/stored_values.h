// The page's stored values in the browser's localStorage, shared by every tab of one site (or
// every page opened from disk). Main thread only.
#pragma once

// Notes what this page holds for every stored value (call once, right after the settings were
// read): from then on a value is written only when it differs from what the page read for it or
// last wrote.
void learn_stored_values();
