// SPDX-License-Identifier: GPL-3.0-or-later
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
  // Messages we add: a flight file too short to hold a header.
  FileTooShort,
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
  // Data quality, the apogee before and after the filter, and the flight against a simulation.
  StatQuality,
  StatQualityNone,
  StatRawApogee,
  StatFilteredApogee,
  StatApogeeDifference,
  ApogeeAt,       // %1 metres, %2 seconds, %3 sample
  ApogeeAtShort,  // %1 metres, %2 seconds: the panel's cell, ApogeeAt its tooltip
  FlagSpike,
  FlagSpikeApogee,
  FlagPadDrift,
  FlagStuck,
  FlagIncompleteMarker,
  FlagIncompleteFull,
  FlagNoLaunch,
  FlagNoLanding,
  FlagLateLaunch,
  FlagShort,
  ApogeeSupportsRaw,
  ApogeeSupportsFiltered,
  ApogeeNotFiltered,
  MarkerApogeeUnfiltered,
  MarkerApogeeFiltered,
  ReportQuality,
  ReportApogeeExplained,
  OpenSimulationAction,
  SimulationCurveTitle,
  StatSimulation,
  StatSimApogeeError,
  StatSimTimeToApogeeError,
  StatSimRmsAscent,
  SimulationColumnsCaption,
  SimulationTimeColumn,
  SimulationAltitudeColumn,
  SimulationFeet,
  SimulationNoLaunch,
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
  // Messages we add: a flight without its end marker, the communication log. (Why a port did
  // not open is worded with the other failures, text/FailureText.cpp.)
  IncompleteFlight,
  SaveCommunicationLogAction,
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
  OpenFlightAction,
  SaveFlightAction,
  QuitAction,
  ClearReferenceAction,
  // The contest folder's record: keeping, verifying, the status of a flight, the results board.
  ContestKeptUnrecorded,
  ContestNotReady,
  VerifyFolderAction,
  VerifyCaption,
  VerifySummary,
  VerifyFailed,
  VerifyReportSummary,  // the last line of the folder check's report
  RankingStatus,
  StatusValid,
  StatusChanged,  // the reasons in FlightReason order
  StatusMissing,
  StatusNotInLog,
  StatusNameHeader,
  StatusIncomplete,
  StatusBrokenChain,
  StatusResults,
  StatusLate,
  StatusNoLog,
  // A flight's level and its data-quality flags, as the state of a contest flight names them.
  StateWarning,
  StateInvalid,
  StateSpike,
  StatePadDrift,
  StateStuck,
  StateNoLaunch,
  StateNoLanding,
  StateLateLaunch,
  StateShort,
  StateTransient,
  StateEndOfRecord,
  StateApogeeDisputed,
  StateNearSonic,
  RankingProvisionalNote,
  // The file dialogs' filters.
  FilterFlightFiles,
  FilterCsvFiles,
  FilterPdfFiles,
  FilterTextFiles,
  FilterAllFiles,
  ResultsBoardAction,
  BoardProvisional,
  BoardLastFlight,
  BoardFullScreen,
  CancelExchange,
  CancelExchangeTip,
  // Transients, the apogee the data support and rates near the speed of sound.
  FlagTransient,       // %1 kind, %2 and %3 seconds, %4 and %5 samples, %6 metres
  FlagEndOfRecord,     // %1 kind, %2 metres, %3 and %4 seconds, %5 and %6 samples
  FlagApogeeDisputed,  // %1 m at %2 s, %3 m higher than %4 m at %5 s
  FlagNearSonic,       // %1 climb or sink, %2 m/s, %3 s
  NearSonicClimb,
  NearSonicSink,
  TransientEjection,
  TransientDeploy,
  TransientTransonic,
  ApogeeSupportsRawFilterLower,      // %1 raw, %2 filtered, %3 difference
  ApogeeSupportsRawFilterTransient,  // %1 raw, %2 filtered
  ApogeeSupportsSupported,           // %1 raw, %2 filtered, %3 supported, %4 seconds, %5 difference
  ApogeeSupportsNeither,             // %1 raw, %2 filtered, %3 supported, %4 seconds
  StatSupportedApogee,
  ReportSupportedApogee,
  MarkerEndOfRecord,
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

}  // namespace hypsor
