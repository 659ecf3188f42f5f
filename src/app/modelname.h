#pragma once
// The selected model's identifier byte (ModelId) and the main window's
// model-name controls. Model-name editing (the name box unlocked, "Set Model
// Name" and "Get Model name" shown) is on exactly while the "Change Model
// Name" menu item carries its check mark, and it can be switched on only for
// model 51h on the virtual COM port.

namespace Common {

// Takes ModelId from the model list and shows the model name.
void ApplySelectedModel();
// Switches model-name editing off and allows it only where it applies.
void RefreshModelNameControls();

} // namespace Common
