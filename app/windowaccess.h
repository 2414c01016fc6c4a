#pragma once

class Main;

// What makes the window usable from the keyboard alone and through assistive
// tools: names for the inputs without a caption, the check boxes' captions,
// the Tab order, the date box's keys and focus that comes back after work.
void SetUpWindowAccess(Main &window);
