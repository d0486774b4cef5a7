#include "app/notice_text.h"

QString NoticeForWindow(const CNotice& notice) {
  const QString path = QString::fromStdString(notice.Path);
  const QString extra = QString::fromStdString(notice.Extra);
  switch (notice.Kind) {
    case CNoticeKind::Other:
      break;
    case CNoticeKind::BookKeysDiffer:
      return QStringLiteral("开局库 book/book.tab 与局面键值文件 rand/rand.has 不配套（用别的键值生成）："
                            "开局局面查不到着法，电脑不会用它走棋.");
    case CNoticeKind::BookReadInPart:
      return QStringLiteral("开局库文件 %1 有损坏的记录，已略去，其余照用.").arg(path);
    case CNoticeKind::KeysRegenerated:
      return QStringLiteral("局面键值文件 %1 已损坏，已重新生成；用旧键值生成的开局库不再配套.").arg(path);
    case CNoticeKind::NetworkInMemoryOnly:
      return QStringLiteral("神经网络文件 %1 无法写入：新的随机网络只在内存中使用.").arg(path);
    case CNoticeKind::NetworkReplaced:
      return QStringLiteral("神经网络文件 %1 已损坏，已换成新的随机网络.").arg(path);
    case CNoticeKind::NetworkPresetUsed:
      return QStringLiteral("神经网络文件 %1 缺少参数行 %2，已用默认值.").arg(path, extra);
    case CNoticeKind::DamagedKeptAside:
      return QStringLiteral("文件 %1 已损坏，已另存为 %2.").arg(path, extra);
    case CNoticeKind::DamagedNotMovedAside:
      return QStringLiteral("文件 %1 已损坏，且无法移到一旁.").arg(path);
    case CNoticeKind::ShippedCopyFailed:
      return QStringLiteral("无法把随程序附带的 %1 复制到 %2.").arg(path, extra);
    case CNoticeKind::DataFolderCreated:
      return QStringLiteral("已创建 TARVO_HOME 指定的数据文件夹 %1.").arg(path);
    case CNoticeKind::DataFolderNotAFolder:
      return QStringLiteral("TARVO_HOME 指定的 %1 不是文件夹.").arg(path);
    case CNoticeKind::DataFolderUnusable:
      return QStringLiteral("TARVO_HOME 指定的文件夹 %1 不存在，也无法创建.").arg(path);
  }
  // A notice without a kind of its own: its text as the core wrote it.
  return QString::fromStdString(notice.Text);
}
