#pragma once
// The system's own words for an error code, as the installer adds them to its messages (in the language of the
// Windows it runs on).
#include <string>

// The text of a system error code without its trailing line break, or "Fehler <code>" when the system has none.
// Empty for 0.
std::wstring SystemReason(unsigned long error);

// The installer's message for a failed step: its own sentence, then the system's reason on a line of its own.
std::wstring WithReason(const std::wstring& message, unsigned long error);
