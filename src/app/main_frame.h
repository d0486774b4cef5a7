#pragma once
// The main window: menus, toolbar and status bar around the board view. It
// owns the document and the view, routes every command, keeps the command
// states current and asks to save before it closes.
#include <QMainWindow>
#include <QString>
#include <map>

class QAction;
class QLabel;
class QMenu;
class QToolBar;
class CLarkoDoc;
class CLarkoView;
class CMoveListDock;
class CAnalysisDock;
class CGameReviewer;

class CMainFrame : public QMainWindow {
  Q_OBJECT

 public:
  static constexpr int MIN_WIDTH = 640;
  static constexpr int MIN_HEIGHT = 580;

  CMainFrame();
  ~CMainFrame() override;

  CLarkoDoc* Doc() const { return Document; }
  CLarkoView* View() const { return BoardView; }
  QToolBar* ToolBar() const { return Tools; }
  CMoveListDock* MoveList() const { return MoveListDock; }
  CAnalysisDock* Analysis() const { return AnalysisPanel; }
  CGameReviewer* Reviewer() const { return GameReviewer; }
  // The action of a command identifier, nullptr when there is none.
  QAction* Action(int id) const;

  // Enables, disables and checks every command for the current state.
  void UpdateCommandUI();
  // Runs a command as the menu or the toolbar would.
  void OnCommand(int id);
  // Before the window is first shown: the size, position, docks and board
  // picture of the last run, or a size that fits the screen. Closing the
  // window keeps them.
  void RestoreSettings();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateMenus();
  void CreateToolBar();
  void CreateStatusBar();
  void CreateMoveList();
  // 分析, 提示 and 复盘 (main_frame_analysis.cpp).
  void CreateAnalysisCommands(QMenu* play, QMenu* view, QMenu* tools);
  void CreateAnalysis();
  // Sets the command's state when it is one of them.
  bool UpdateAnalysisCommand(int id, QAction* action);
  bool OnAnalysisCommand(int id);
  // The analysis and the score curve follow the board after a change.
  void FollowBoard();
  // Ends the analysis and the review: no worker is left.
  void StopAnalysis();
  QAction* AddCommand(QMenu* menu, int id, const char* text, const char* prompt, const char* tip);
  void UpdateTitle();
  void ShowAbout();
  // Shows in the status bar the notices about data files and, once, how and
  // why the game ended.
  void ShowGameNews();
  // What the status bar shows when no other message stands.
  QString IdleMessage() const;

  CLarkoDoc* Document;
  CLarkoView* BoardView;
  QToolBar* Tools = nullptr;
  CMoveListDock* MoveListDock = nullptr;
  CAnalysisDock* AnalysisPanel = nullptr;
  CGameReviewer* GameReviewer = nullptr;
  std::map<int, QAction*> Actions;
  QString ShownEnd;  // the game end in the status bar, empty while the game goes on
};
