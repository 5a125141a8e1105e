#pragma once

// Every text the user can be shown by a conversion, exactly as the program speaks it.
namespace quillwave::messages {

inline constexpr const char* kCaption = "wave -> tonelace";
inline constexpr const char* kNoCounter =
    "時間の計測ができません（高分解能パフォーマンスカウンタがサポートされていません）";
inline constexpr const char* kNotWave = "ＷＡＶＥファイルを指定して下さい";
inline constexpr const char* kNotFound = "ファイルが見つかりません";
inline constexpr const char* kCannotOpen = "ファイルをオープンできません";
inline constexpr const char* kNoMemory = "メモリを確保できませんでした";
inline constexpr const char* kReadError = "読込エラー";
inline constexpr const char* kCannotHandle = "このファイルは扱えません";
inline constexpr const char* kBadDataLength = "データ長が正しくありません";
inline constexpr const char* kBadRate = "44100又は48000Ｈｚにして下さい";
inline constexpr const char* kNot16Bit = "データが16Bitではありません";
inline constexpr const char* kTooLong = "音声データが長すぎます";
inline constexpr const char* kCannotCreate = "ファイルを作成できませんでした";
inline constexpr const char* kWriteError = "書込エラー";
inline constexpr const char* kAborted = "中止しました";
inline constexpr const char* kFinished = "終了しました";

} // namespace quillwave::messages
