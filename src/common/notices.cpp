#include "common/notices.h"

#include <mutex>

namespace {

struct CNoticeBoard {
  std::mutex Lock;
  std::vector<std::string> Kept;
  std::function<void(const std::string&)> Sink;
};

CNoticeBoard& Board() {
  static CNoticeBoard board;
  return board;
}

}  // namespace

void PostNotice(const std::string& text) {
  CNoticeBoard& board = Board();
  std::function<void(const std::string&)> sink;
  {
    std::lock_guard<std::mutex> guard(board.Lock);
    if (!board.Sink) {
      board.Kept.push_back(text);
      return;
    }
    sink = board.Sink;
  }
  sink(text);  // outside the lock: a sink may post again
}

std::vector<std::string> TakeNotices() {
  CNoticeBoard& board = Board();
  std::lock_guard<std::mutex> guard(board.Lock);
  std::vector<std::string> taken;
  taken.swap(board.Kept);
  return taken;
}

void SetNoticeSink(std::function<void(const std::string&)> sink) {
  std::vector<std::string> kept;
  {
    std::lock_guard<std::mutex> guard(Board().Lock);
    Board().Sink = sink;
    if (sink) kept.swap(Board().Kept);
  }
  for (const auto& text : kept) sink(text);
}
