#pragma once
// The 确定 / 取消 row every settings dialog ends with.
class QDialog;
class QDialogButtonBox;

// A button box of 确定 (the default button) and 取消, wired to the dialog's
// accept() and reject(), which the dialogs override to check their fields.
QDialogButtonBox* MakeOkCancelButtons(QDialog* dialog);
