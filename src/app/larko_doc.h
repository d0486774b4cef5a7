#pragma once
// The document: stands for the current game file. It holds no game data; new,
// open and save go through the one game object. Keeps the file's path, the
// title and the modified flag, and asks to save before the game is replaced.
#include <QObject>
#include <QString>
#include <string>

class QWidget;

class CLarkoDoc : public QObject {
  Q_OBJECT

 public:
  explicit CLarkoDoc(QObject* parent = nullptr) : QObject(parent) {}

  // A new game in the start position, red to move; titled "Unknown".
  bool OnNewDocument();
  // Loads the game file; a failed load shows a message and keeps the
  // players' names (the whole game when the file failed before its moves).
  bool OnOpenDocument(const QString& path);
  bool OnSaveDocument(const QString& path);

  // The file commands. Each first asks to save a modified game where needed.
  void FileNew();
  void FileOpen();
  bool FileSave();
  bool FileSaveAs();
  // Opens a named file as the open command does, after the save question.
  bool OpenDocumentFile(const QString& path);

  // Asks "save changes?" when modified: false when the user cancels (or the save failed).
  bool SaveModified();

  // Whether the game differs from the one last new, opened or saved. A
  // command or click only marks that it may have changed (SetModifiedFlag);
  // a click on the margin or a failed open changes nothing and asks nothing.
  bool IsModified() const;
  void SetModifiedFlag(bool modified = true) { Modified = modified; }
  const QString& Title() const { return Title_; }
  const QString& PathName() const { return PathName_; }

  // Owner window of the dialogs and message boxes.
  void SetWindow(QWidget* window) { Window = window; }

 signals:
  void TitleChanged();
  // A new game begins with the computer to move; the view starts its reply.
  void ComputerToMove();

 private:
  void SetPathName(const QString& path);
  void SetTitle(const QString& title);
  // Takes the game as it now stands as the unchanged one.
  void RememberGame();

  QWidget* Window = nullptr;
  QString PathName_;
  QString Title_;
  bool Modified = false;
  std::string RememberedText;  // the game's file text when it was new, opened or saved
};
