#pragma once
// Applies the caption tables of one language to the whole window.
namespace lt {

struct MainForm;

// code 1 Spanish; 0, and any other code, English.
void applyCaptions(MainForm& form, int code);

}  // namespace lt
