// What screen readers see of the two text boxes: editable text (the custom box) or read-only
// text (the viewer) whose text, caret, selection and lines (rows as shown) they read and set in
// UTF-16 units. A query reads only what it returns, at most kMaxAccessibleUnits units (the
// first of a longer range), so all of a billion digits costs what a mebibyte does. No failure.
#pragma once

#include <cstdint>

namespace dalvo::ui {

// The most units one query returns.
inline constexpr std::uint64_t kMaxAccessibleUnits = std::uint64_t{1} << 20;

// Registers, once per process, the factory that gives every TextArea its accessible interface.
void InstallTextAreaAccessibility();

}  // namespace dalvo::ui
