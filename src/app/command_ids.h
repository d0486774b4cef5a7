#pragma once
// Command identifiers of the menus and the toolbar.
namespace Cmd {
// File
constexpr int FileNew = 57600;
constexpr int FileOpen = 57601;
constexpr int FileSave = 57603;
constexpr int FileSaveAs = 57604;
constexpr int AppExit = 57665;
// Game operations
constexpr int MirrorHorizontal = 32803;
constexpr int MirrorVertical = 32804;
constexpr int ClearBoard = 32781;
constexpr int EditMode = 32774;
constexpr int Undo = 57643;
constexpr int Redo = 57644;
constexpr int EngineMove = 32775;
constexpr int Resign = 32787;
constexpr int Analysis = 32850;
constexpr int Hint = 32851;
// View
constexpr int ViewToolBar = 59392;
constexpr int ViewStatusBar = 59393;
constexpr int TextureGrayMarble = 32798;
constexpr int TexturePaleMarble = 32799;
constexpr int TextureTealMarble = 32800;
constexpr int TextureOak = 32801;
constexpr int TextureStone = 32797;
constexpr int MoveList = 32802;
constexpr int AnalysisDock = 32852;
constexpr int ScoreCurve = 32855;
// Tools
constexpr int OpeningBook = 32783;
constexpr int BatchTraining = 32795;
constexpr int GameTraining = 32789;
constexpr int RecordCheck = 32790;
constexpr int SelfPlay = 32856;
constexpr int StopJob = 32810;  // stops the running game training, self-play or record check
constexpr int Review = 32853;
constexpr int StopReview = 32854;
constexpr int Options = 32773;
// Help
constexpr int UserManual = 32778;
constexpr int HomePage = 32779;
constexpr int About = 57664;
}  // namespace Cmd

// The board pictures of the texture commands, relative to the executable's directory.
struct CTextureCommand {
  int Id;
  const char* Path;
};
inline constexpr CTextureCommand kTextureCommands[] = {
    {Cmd::TextureGrayMarble, "image/graymarb_2.bmp"},
    {Cmd::TexturePaleMarble, "image/marbpale_2.bmp"},
    {Cmd::TextureTealMarble, "image/marbteal_2.bmp"},
    {Cmd::TextureOak, "image/oak_bed2_2.bmp"},
    {Cmd::TextureStone, "image/benediti_2.bmp"},
};
