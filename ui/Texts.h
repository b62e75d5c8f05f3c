#pragma once
#include <QString>

namespace hypsor {

// Every text that differs between Polish and English is one pair in a single table; the
// LanguageIndex (0 Polish, 1 English) picks the member at the moment the text is shown.
// Captions and message texts share the table. Message texts keep the width of the fixed slot the
// altimeter's first program stored them in (the longest text fits in width - 1 characters).
enum class Txt {
  // Main window captions, in the order ApplyLanguage writes them.
  BZerowanie,
  B_Odczyt_Hypsoru,
  GBDysk_ZapisOdczyt,
  BZapisz,
  BOdczyt,
  LTemp,
  LProbk,
  LZaw,
  L_NumSer,
  B_Porownanie,
  GroupB_Hypsor,
  GroupB_Por,
  WindowCaption,
  Ustawienia1,
  Hypsor1,
  Widok1,
  Przyspieszenie1,
  Porownanie1,
  Series1Title,
  Series2Title,
  Series3Title,
  // Main window texts set by actions.
  E_PobDan,
  ECzekaj,
  // Messages of the main window's actions.
  ErrorCaption,
  PortOpenFailed,
  CommunicationError,
  ResetQuestion,
  ResetQuestionCaption,
  ResetOk,
  ResetOkCaption,
  ResetError,
  NoData,
  FileExists,
  FileExistsCaption,
  WrongTemperature,
  // Messages we add: a flight file too short to hold a header, a refused port name, missing
  // permission on a serial device.
  FileTooShort,
  PortNameTooLong,
  PortPermissionHint,
  // Device settings window.
  FormUstawieniaCaption,
  L_Numer_Portu,
  L_PoziomWyzwalania,
  L_Kalibracja_Temp,
  L_Ust_Probk,
  LZerReczne,
  ZeroingNo,
  ZeroingYes,
  L_Numer_Zawodnika,
  L_NrSer,
  B_wyslij,
  TooLargeValue,
  FieldEmpty,
  SetupFailed,
  SetupOk,
  SetupCaption,
  // Filter settings window.
  FilterPreCut,
  FilterFinalCut,
  FilterPreWindow,
  FilterFinalWindow,
  FilterSave,
  FilterDefault,
  Count
};

struct TextPair {
  const char* polish;   // UTF-8
  const char* english;  // UTF-8
  int slotWidth;        // 0 for captions; the fixed slot width for message texts
};

const TextPair& TextPairOf(Txt id);
QString Text(Txt id, int languageIndex);

}  // namespace hypsor
