#pragma once
// Opens the main window without a person, plays the first moves of a game,
// saves a picture of the window as PNG and ends. Returns the exit code.
int TakeScreenshot(int argc, char** argv, const char* outputPath);
// The batch-training dialog after a few passes over the games of a folder.
int TakeTrainingScreenshot(int argc, char** argv, const char* recordFolder, const char* outputPath);
// The analysis dock (three lines) and the hint arrow over a position of the game file.
int TakeAnalysisScreenshot(int argc, char** argv, const char* gamePath, const char* outputPath);
// The window after a review of the game file: marks in the move list and the score curve.
int TakeReviewScreenshot(int argc, char** argv, const char* gamePath, const char* outputPath);
