#include "app/job_messages.h"

namespace {

QString Text(const std::string& utf8) { return QString::fromStdString(utf8); }

// The core's English detail, when there is one, as a reason in brackets.
QString Reason(const CJobError& error) {
  return error.Detail.empty() ? QString() : QStringLiteral(" (原因: %1)").arg(Text(error.Detail));
}

}  // namespace

QString ChineseMessage(const CJobError& error) {
  const QString setting = error.Setting.empty() ? QString() : Text(error.Setting) + QStringLiteral(": ");
  const QString path = Text(error.Path);
  switch (error.Fault) {
    case CJobFault::None:
      return QString();
    case CJobFault::OutOfRange:
      return QStringLiteral("%1 必须在 %2 到 %3 之间 (现为 %4).")
          .arg(Text(error.Setting))
          .arg(error.Min)
          .arg(error.Max)
          .arg(QString::number(error.Value, 'g', 15));
    case CJobFault::NoSuchFolder:
      return setting + QStringLiteral("文件夹不存在: %1").arg(path);
    case CJobFault::NoInput:
      return setting + QStringLiteral("%1 中没有可处理的文件.").arg(path) + Reason(error);
    case CJobFault::Unreadable:
      return setting + QStringLiteral("无法读取: %1").arg(path) + Reason(error);
    case CJobFault::CannotWrite:
      return setting + QStringLiteral("无法写入: %1 (磁盘已满或文件夹只读?)").arg(path) + Reason(error);
    case CJobFault::BadFile:
      return setting + QStringLiteral("文件无法使用: %1").arg(path) + Reason(error);
    case CJobFault::Missing:
      return setting + QStringLiteral("不能为空.");
    case CJobFault::Failed:
      return setting + QStringLiteral("操作失败.") + Reason(error);
  }
  return Text(error.Detail);
}
