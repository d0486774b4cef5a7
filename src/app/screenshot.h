#pragma once
// Opens the main window without a person, plays the first moves of a game,
// saves a picture of the window as PNG and ends. Returns the exit code.
int TakeScreenshot(int argc, char** argv, const char* outputPath);
