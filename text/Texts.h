#pragma once
#include <QString>

namespace hypsor {

// Every text that differs between Polish and English is one pair in a single table; the
// LanguageIndex (0 Polish, 1 English) picks the member at the moment the text is shown.
// Captions and message texts share the table. Message texts keep the width of the fixed slot the
// altimeter's first program stored them in (the longest text fits in width - 1 characters).
enum class Txt {
  // Main window captions, in the order ApplyLanguage writes them.
  ZeroButton,
  ReadButton,
  FileGroup,
  SaveButton,
  LoadButton,
  TemperatureLabel,
  SamplingLabel,
  CompetitorLabel,
  SerialLabel,
  CompareButton,
  MainFlightGroup,
  ComparisonGroup,
  WindowCaption,
  SetupMenu,
  DeviceSettingsAction,
  ChartsMenu,
  AccelerationAction,
  ComparisonAction,
  AltitudeCurveTitle,
  AccelerationCurveTitle,
  ComparisonCurveTitle,
  // Main window texts set by actions.
  DownloadBanner,
  WaitBanner,
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
  // permission on a serial device (%1: the group that owns it).
  FileTooShort,
  PortNameTooLong,
  PortPermissionHint,
  PortPermissionNoGroup,
  // Views we add to the main window: the View and Export menus, the chart size question, the
  // statistics panel (the rows in the order of StatisticFields, then landing recorded) and the
  // markers on the curves.
  ViewMenu,
  StatisticsAction,
  MarkersAction,
  AlignComparisonAction,
  ExportMenu,
  ExportChartAction,
  ExportDataAction,
  CopyChartAction,
  ChartSizeCaption,
  ChartSizeWindow,
  ChartWidth,
  ChartHeight,
  ExportFailed,
  ChartFormatUnknown,
  ChartFormatUnknownNoSvg,
  StatisticsPanel,
  StatApogee,
  StatLaunch,
  StatTimeToApogee,
  StatLanding,
  StatDuration,
  StatMaxClimb,
  StatMaxSink,
  StatMeanDescent,
  StatLanded,
  StatYes,
  StatNotLanded,
  StatNoLaunch,
  StatTooShort,
  MarkerLaunch,
  MarkerApogee,
  MarkerLanding,
  // Device settings window.
  DeviceSettingsCaption,
  PortLabel,
  TriggerLabel,
  CalibrationLabel,
  SamplingRateLabel,
  ManualZeroLabel,
  ZeroingNo,
  ZeroingYes,
  CompetitorNumberLabel,
  SerialNumberLabel,
  SendButton,
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
  // Messages we add: why a port did not open (a second paragraph under PortOpenFailed), a port
  // name that leaves /dev, a flight without its end marker, the communication log.
  PortNotFound,
  SerialDevicesPresent,
  NoSerialDevice,
  PortBusy,
  ModemManagerHint,
  NotASerialPort,
  SystemReason,
  PortNameRefused,
  IncompleteFlight,
  SaveCommunicationLogAction,
  NoCommunicationLog,
  // Texts we add to the windows: tooltips, help, file and settings messages.
  ReadTip,
  ZeroTip,
  MainFilterTip,
  SaveTip,
  LoadTip,
  CompareTip,
  ComparisonFilterTip,
  TemperatureTip,
  NotAnInteger,
  HelpMissing,
  SettingsUnreadable,
  CloseWithoutSaving,
  // Flight report, contest session and ranking.
  ReportTitle,
  ReportContest,
  ReportMainFlight,
  ReportComparisonFlight,
  ReportFile,
  ReportUnsavedDownload,
  ChartTitleWithComparison,
  ReportCompetitor,
  ReportSerial,
  ReportSampling,
  ReportCalibration,
  ReportHeaderTemperature,
  ReportUsedTemperature,
  ReportMaximum,
  ReportStatistics,
  ReportApogee,
  ReportLaunch,
  ReportTimeToApogee,
  ReportLanding,
  ReportDuration,
  ReportMaxClimb,
  ReportMaxSink,
  ReportMeanDescent,
  ReportNotLaunched,
  ReportVersion,
  ReportCreated,
  ReportWriteFailed,
  FileMenu,
  ContestSessionAction,
  EndContestAction,
  RebuildResultsAction,
  ResultsViewAction,
  FlightReportAction,
  PrintReportAction,
  ContestDialogCaption,
  ContestFolderLabel,
  ContestNameLabel,
  ContestBrowse,
  ContestLine,
  ContestKept,
  ContestKeptIncomplete,
  ContestKeepFailed,
  ContestStartFailed,
  ContestSkippedFiles,
  RankingRank,
  RankingCompetitor,
  RankingBestApogee,
  RankingFlights,
  RankingFile,
  RankingExportCsv,
  RankingExportPdf,
  RankingTitle,
  StatisticsSha256,
  ByteCount,             // a count of bytes: Polish forms one|few|many, English one|other
  DataAfterEndMarker,    // %1: the bytes after the marker, as ByteCount
  HelpOpenFailed,
  OpenFlightAction,
  SaveFlightAction,
  QuitAction,
  ClearReferenceAction,
  Count
};

struct TextPair {
  const char* polish;   // UTF-8
  const char* english;  // UTF-8
  int slotWidth;        // 0 for captions; the fixed slot width for message texts
};

const TextPair& TextPairOf(Txt id);
QString Text(Txt id, int languageIndex);

// A text with a number, in the form the number takes: the entry holds its forms separated by "|"
// (Polish: one, few, many; English: one, other) and %1 stands for the number.
QString CountText(Txt id, qint64 count, int languageIndex);

// A message the file layer composes in English ("Cannot open file F: it is not a regular file")
// in the given language; the system's own reason stays as the system gave it.
QString LocalizedFileMessage(const QString& english, int languageIndex);

}  // namespace hypsor
