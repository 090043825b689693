#include "app/LoadMessages.h"

namespace tavrel {

QString LoadErrorMessage(WavError error) {
    const char* text = "";
    switch (error) {
    case WavError::None:
        break;
    case WavError::CannotOpen:
        text = "ファイルを開けません。";
        break;
    case WavError::NotRiffWave:
        text = "認識できないファイル形式です。";
        break;
    case WavError::BadChunkSize:
        text = "ファイルが壊れています（チャンクの大きさが正しくありません）。";
        break;
    case WavError::NoDataChunk:
        text = "音声データ（data チャンク）が見つかりません。";
        break;
    case WavError::UnsupportedFormat:
        text = "この形式のWAVファイルには対応していません。\n"
               "読めるのは、整数 PCM・浮動小数点・μ-law・A-law・ADPCM などの WAV ファイルです。";
        break;
    case WavError::BadHeader:
        text = "ファイルの形式情報（チャンネル数・サンプル周波数）が正しくありません。";
        break;
    case WavError::DataTruncated:
        text = "音声データが途中で切れています（ファイルが壊れています）。";
        break;
    case WavError::TooFewFrames:
        text = "音声データが短すぎます（2 サンプル以上必要です）。";
        break;
    case WavError::TooLarge:
        text = "ファイルが大きすぎて読み込めません。";
        break;
    case WavError::OutOfMemory:
        text = "メモリが足りないため読み込めません。";
        break;
    case WavError::UnrecognisedFormat:
        text = "認識できないファイル形式です。\n"
               "読めるのは、WAV・FLAC・MP3・Ogg（Vorbis・Opus）・M4A（AAC・ALAC）・AIFF の"
               "録音と、WebM・MKV・MP4 動画の音声です。";
        break;
    case WavError::NoAudio:
        text = "このファイルからは音声を読み取れません（音声のない動画か、壊れたファイルです）。";
        break;
    case WavError::Cancelled:
        text = "読み込みを取り消しました。";
        break;
    }
    return QString::fromUtf8(text);
}

QString MarkRefusalMessage(CaptureResult result) {
    const char* text = "";
    switch (result) {
    case CaptureResult::Captured:
        break;
    case CaptureResult::TooClose:
        text = "もう一度、上の全波形をマウスでクリックしてください。";
        break;
    case CaptureResult::OutsideSamples:
        text = "波形のない所に印が付きました。波形の上で１周期をクリックしてください。";
        break;
    case CaptureResult::TooLong:
        text = "１周期が長すぎます（1499 サンプルまで）。もう一度、１周期をクリックしてください。";
        break;
    case CaptureResult::BadRate:
        text =
            "ｻﾝﾌﾟﾙ周波数が正しくありません。正しい数を入れてから、もう一度クリックしてください。";
        break;
    }
    return QString::fromUtf8(text);
}

} // namespace tavrel
