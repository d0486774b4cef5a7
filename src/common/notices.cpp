#include "common/notices.h"

#include <mutex>

namespace {

struct CNoticeBoard {
  std::mutex Lock;
  std::vector<CNotice> Kept;
  std::function<void(const CNotice&)> Sink;
};

CNoticeBoard& Board() {
  static CNoticeBoard board;
  return board;
}

}  // namespace

std::string EnglishNotice(CNoticeKind kind, const std::string& path, const std::string& extra) {
  switch (kind) {
    case CNoticeKind::Other:
      return extra;
    case CNoticeKind::BookKeysDiffer:
      return "book/book.tab was made with other position keys than rand/rand.has: it has no move for the "
             "start position";
    case CNoticeKind::BookReadInPart:
      return path + ": " + extra;
    case CNoticeKind::KeysRegenerated:
      return path + ": new keys written; a book built with the old keys no longer matches";
    case CNoticeKind::NetworkInMemoryOnly:
      return path + ": a new random network is used in memory only (the file cannot be written)";
    case CNoticeKind::NetworkReplaced:
      return path + ": replaced by a new random network";
    case CNoticeKind::NetworkPresetUsed:
      return path + ": no line for " + extra + "; the preset is used";
    case CNoticeKind::DamagedKeptAside:
      return path + " is damaged: kept aside as " + extra;
    case CNoticeKind::DamagedNotMovedAside:
      return path + " is damaged and could not be moved aside";
    case CNoticeKind::ShippedCopyFailed:
      return "could not copy the shipped " + path + " to " + extra;
    case CNoticeKind::DataFolderCreated:
      return "created the data folder '" + path + "' that TARVO_HOME names";
    case CNoticeKind::DataFolderNotAFolder:
      return "TARVO_HOME names '" + path + "', which is not a folder";
    case CNoticeKind::DataFolderUnusable:
      return "TARVO_HOME names '" + path + "', a missing folder that cannot be created" + extra;
  }
  return extra;
}

void PostNotice(const CNotice& notice) {
  CNoticeBoard& board = Board();
  std::function<void(const CNotice&)> sink;
  {
    std::lock_guard<std::mutex> guard(board.Lock);
    if (!board.Sink) {
      board.Kept.push_back(notice);
      return;
    }
    sink = board.Sink;
  }
  sink(notice);  // outside the lock: a sink may post again
}

void PostNotice(CNoticeKind kind, const std::string& path, const std::string& extra) {
  PostNotice(CNotice {kind, path, extra, EnglishNotice(kind, path, extra)});
}

void PostNotice(const std::string& text) { PostNotice(CNotice {CNoticeKind::Other, {}, {}, text}); }

std::vector<CNotice> TakeNotices() {
  CNoticeBoard& board = Board();
  std::lock_guard<std::mutex> guard(board.Lock);
  std::vector<CNotice> taken;
  taken.swap(board.Kept);
  return taken;
}

std::vector<std::string> TakeNoticeTexts() {
  std::vector<std::string> texts;
  for (const CNotice& notice : TakeNotices()) texts.push_back(notice.Text);
  return texts;
}

void SetNoticeSink(std::function<void(const CNotice&)> sink) {
  std::vector<CNotice> kept;
  {
    std::lock_guard<std::mutex> guard(Board().Lock);
    Board().Sink = sink;
    if (sink) kept.swap(Board().Kept);
  }
  for (const auto& notice : kept) sink(notice);
}
