#pragma once

// The titles of the program's two top-level windows. Each window is created
// with its title from here, and a second start looks for either title to
// find a running instance, so the two uses can never drift apart.
//
// This folder holds only headers shared by the engine, start-up and the
// settings dialog; it has no library of its own.

inline constexpr const char* kSaverWindowTitle = "Orvelune(Main)";
inline constexpr const char* kSettingsDialogTitle = "Orveluneの設定";
