#pragma once
// Applies the caption tables of one language to the whole window.
namespace lt {

struct MainForm;

// code 0 English, 1 Spanish; any other code changes nothing.
void applyCaptions(MainForm& form, int code);

}  // namespace lt
