#pragma once
// The folder field of the tool dialogs: an edit with a "..." button beside
// it. The button opens the folder browser titled "请选择分类数据路径"; when
// the edit loses focus its text is tidied ("\" becomes "/", doubled "/"
// collapse, a "/" ends it) and a folder that does not exist is refused with
// "保存目录非法或该文件夹不存在,请重新选择!" (caption "DidOZA"), the focus
// going back into the edit.
#include <QLineEdit>
#include <QString>
#include <functional>

class QPushButton;

// Tidies a folder text; "" stays "".
QString TidyFolderText(const QString& text);

// Shows the folder browser; returns the folder chosen, empty when cancelled.
// The tests put their own chooser in its place.
using CFolderChooser = std::function<QString(QWidget* parent, const QString& title, const QString& start)>;
void SetFolderChooser(CFolderChooser chooser);
// The folder browser titled "请选择分类数据路径": the folder chosen, tidied;
// empty when cancelled.
QString BrowseFolder(QWidget* parent, const QString& start);

class CFolderEdit : public QLineEdit {
  Q_OBJECT

 public:
  // emptyAllowed: an empty field is left alone (nothing is checked).
  CFolderEdit(bool emptyAllowed, QWidget* parent = nullptr);
  ~CFolderEdit() override;

  // The "..." button that browses for this edit's folder.
  QPushButton* BrowseButton() const { return Browse; }
  // The focus-out check: tidies the text; false (after the message, with
  // the focus back here) when the folder does not exist.
  bool CheckFolder();
  // Opens the folder browser; a chosen folder replaces the text.
  void BrowseForFolder();

 protected:
  void focusOutEvent(QFocusEvent* event) override;

 private:
  bool EmptyAllowed;
  bool Checking = false;
  QPushButton* Browse;  // a sibling in the parent's layout; ours alone without a parent
};
