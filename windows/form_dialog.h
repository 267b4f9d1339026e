// The one runner of the program's dialogs. A dialog is a core DialogForm
// (core/settings/*dialogs*.h) moved into the controls when it opens and read
// back on OK; the few dialogs that do more while open (live edits, colour
// buttons, owner-drawn parts, choices put back on Cancel) add hooks.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/settings/setup_dialogs.h"

namespace tesselog::win32 {

// The text of a control or window, of any length.
std::wstring ControlText(HWND control);

// A core form into a dialog's controls and back, every text widened from
// and narrowed to 8-bit text (WidenBytes, NarrowToBytes). With the form last
// shown, only what changed is touched, so lists keep their scroll position
// and the caret stays where the operator left it.
void ShowDialogForm(HWND dialog, const DialogForm& form, const DialogForm* shown);
void ReadDialogForm(HWND dialog, DialogForm& form);
// ReadDialogForm for OK. A stored text (EditControl::StoredText) with a
// character that 8-bit text cannot hold is refused: a "WARNING" box names the
// field and the character, the field gets the focus with that character
// selected, and false says the dialog stays open with nothing stored.
bool ReadDialogFormForOk(HWND dialog, DialogForm& form);

// Moves a dialog over its owner (the desktop when it has none): centred
// horizontally, its top 1/divisor of the free height below the owner's top.
void PlaceDialogOverOwnerWindow(HWND dialog, int32_t divisor);

// A dialog's resource, where it opens and how it ends.
struct DialogFrame {
    const wchar_t* resource = nullptr;
    int32_t placementDivisor = 0;            // over the owner; 0: where the resource puts it
    bool cancelKeys = false;                 // key codes 67 and 99 act as Cancel
    INT_PTR okResult = 1, cancelResult = 0;  // what the dialog ends with
};

// One run of a dialog. Every hook but `open` may be empty; none is called
// while the program itself fills the controls.
struct DialogRun {
    DialogFrame frame;

    std::function<DialogForm()> open;
    // OK, once the form has been read and its stored texts fit 8 bits.
    std::function<void(const DialogForm&)> ok;
    // Cancel and the cancel keys, before the dialog ends.
    std::function<void()> cancel;
    // A combo's selection changed: the form has been read; what the hook
    // changes in it is shown after.
    std::function<void(DialogForm&, int id)> selectionChanged;
    // The operator changed an edit: the form has been read; the hook shows
    // what it changes itself.
    std::function<void(HWND, DialogForm&, int id)> typed;
    // Any other notification (buttons, radios); true when handled.
    std::function<bool(HWND, int id, int code)> command;
    // An owner-drawn control; true when drawn.
    std::function<bool(const DRAWITEMSTRUCT&)> drawItem;
    // After the form reached the controls: on opening and after a selection
    // change.
    std::function<void(HWND)> shown;

    DialogForm form;
    bool filling = true;
    bool accepted = false;
    bool modeless = false;
};

// For a hook that changes the form itself (a command that changes texts or
// enables): the form is read, changed and shown again, touching only what
// changed.
void ChangeDialogForm(HWND dialog, DialogRun& run, const std::function<void(DialogForm&)>& change);

// Runs the dialog modally; true when it was closed with OK.
bool RunFormDialog(HWND owner, DialogRun& run);
// The same dialog created modeless and hidden, for the platform tests and for
// pictures of it; DestroyWindow ends it and frees the run. Null when the
// resource cannot be loaded.
HWND CreateFormDialog(HWND owner, std::unique_ptr<DialogRun> run);

}  // namespace tesselog::win32
