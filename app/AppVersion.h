#pragma once
// The program's version text, appended to the application title and the main window's caption.
inline constexpr const char* AppVersion = "v1.0";
