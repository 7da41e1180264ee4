#pragma once
// Registers the desktop implementations of prompts, sound and the shell.
// The windowed program calls this once, after its QApplication exists;
// programs without windows never do and keep the console fallbacks.

namespace tw {

void registerDesktopServices();

} // namespace tw
