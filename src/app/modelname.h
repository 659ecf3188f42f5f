#pragma once
// The selected model's identifier byte (ModelId) and the main window's
// model-name controls. Model-name editing (the name box unlocked, "Set Model
// Name" and "Get Model name" shown) is on exactly while the "Change Model
// Name" menu item carries its check mark, and it can be switched on only for
// model 51h on the virtual COM port.

#include <QString>

namespace Common {

// What the operator can type into the model-name box.
constexpr int ModelNameTypingLimit = 12;

// Shows a model name in the name box, whole.
void ShowModelName(const QString& name);
// Takes ModelId from the model list and shows the model name.
void ApplySelectedModel();
// Switches model-name editing off and allows it only where it applies.
void RefreshModelNameControls();

} // namespace Common
