#pragma once
// The viewer window's own texts: captions, menus, tooltips, panel labels and messages.
// Texts of loading and saving the oscillogram image live in common/oscillogram_texts.h, words
// both programs show in common/shared_texts.h.
#include "common/shared_texts.h"

namespace tirv::viewer_texts {

inline constexpr const char* kTitle = shared_texts::kViewerName;
inline constexpr const char* kTitleWithFile = "Осциллограф - файл ";
inline constexpr const char* kSettingsFile = "Осциллограф.cfg";
inline constexpr const char* kDefaultFile = shared_texts::kOscillogramFile;
inline constexpr const char* kHelpFile = "Осциллограф.html";
// The help is an HTML page shown by the system browser; the message names the missing file.
inline constexpr const char* kHelpFileMissing = shared_texts::kHelpFileMissing;

inline constexpr const char* kCaptionError = shared_texts::kCaptionError;
inline constexpr const char* kCaptionWarning = shared_texts::kCaptionWarning;
inline constexpr const char* kCaptionReadWrite = "Ошибка чтения/записи";

inline constexpr const char* kDefaultFileMissing =
    "Файл \"Осциллограммы.tao\" с последними прочитанными данными аварийных осциллограмм ТИРВ в "
    "рабочей папке отсутствует";
inline constexpr const char* kDefaultFileUnreadable =
    "Невозможно открыть файл \"Осциллограммы.tao\" с последними прочитанными данными аварийных "
    "осциллограмм ТИРВ. Код ошибки %1";
inline constexpr const char* kBmpWriteFailed = "Невозможно осуществить запись файла .bmp, код ошибки %1";
inline constexpr const char* kPngWriteFailed = "Невозможно осуществить запись файла .png, код ошибки %1";

inline constexpr const char* kOscFilter = "Файлы осциллографа(*.tao)";
inline constexpr const char* kOpenTitle = "Прочитать данные аварийного осциллографа из файла:";
inline constexpr const char* kSaveTitle = "Сохранить данные аварийного осциллографа в файле:";
inline constexpr const char* kBmpFilter = "Файлы рисунков(*.bmp)";
inline constexpr const char* kPngFilter = "Файлы рисунков(*.png)";
inline constexpr const char* kBmpTitle = "Сохранить картинку аварийных осциллограмм в формате BMP:";
inline constexpr const char* kPngTitle = "Сохранить картинку аварийных осциллограмм в формате PNG:";

// Menus
inline constexpr const char* kMenuFile = shared_texts::kMenuFile;
inline constexpr const char* kMenuOscillograms = "Осциллограммы";
inline constexpr const char* kMenuInfo = shared_texts::kCaptionInformation;
inline constexpr const char* kMenuSaveImage = "Сохранить изображение в формате...";
inline constexpr const char* kMenuTimeValues = "Значения времени";
inline constexpr const char* kMenuAnalogValues = "Значения аналоговых сигналов";
inline constexpr const char* kMenuSettings = "Настройки ...";

inline constexpr const char* kMiOpen = "Открыть";
inline constexpr const char* kMiSave = "Сохранить";
inline constexpr const char* kMiBmp = "BMP";
inline constexpr const char* kMiPng = "PNG";
inline constexpr const char* kMiComtrade = "Экспортировать в COMTRADE";
inline constexpr const char* kMiPrint = "Печать";
inline constexpr const char* kMiPreview = "Настройка цвета и предварительный просмотр";
inline constexpr const char* kMiExit = shared_texts::kMenuExit;
inline constexpr const char* kMiStretch = "Растянуть по оси времени";
inline constexpr const char* kMiCompress = "Сжать по оси времени";
inline constexpr const char* kMiAbsolute = "абсолютные";
inline constexpr const char* kMiRelative = "относительные";
inline constexpr const char* kMiInstantaneous = "мгновенные";
inline constexpr const char* kMiRms = "действующие";
inline constexpr const char* kMiMarkers = "Режим меток времени";
inline constexpr const char* kMiAnalog = "аналоговых сигналов";
inline constexpr const char* kMiDigital = "цифровых сигналов";
inline constexpr const char* kMiGeneral = "общие";
inline constexpr const char* kMiAbout = shared_texts::kAbout;
inline constexpr const char* kMiHelp = shared_texts::kMenuHelp;

// Toolbar tooltips
inline constexpr const char* kTipOpen = "Открыть файл осциллограмм";
inline constexpr const char* kTipSave = "Сохранить осциллограммы в файле";
inline constexpr const char* kTipPrint = "Печать видимого изображения осциллограмм";
inline constexpr const char* kTipPreview = kMiPreview;
inline constexpr const char* kTipStretch = "Растянуть осциллограммы по оси времени";
inline constexpr const char* kTipCompress = "Сжать осциллограммы по оси времени";
inline constexpr const char* kTipAbsolute = "Отображать абсолютное время";
inline constexpr const char* kTipRelative = "Отображать относительное время";
inline constexpr const char* kTipInstantaneous = "Отображать мгновенные значения аналоговых сигналов";
inline constexpr const char* kTipRms = "Отображать действующие значения аналоговых сигналов";
inline constexpr const char* kTipMarkers =
    "Отображать линии меток времени\n и соответствующие значения аналоговых сигналов";
inline constexpr const char* kTipAnalog = "Настройки отображения аналоговых сигналов";
inline constexpr const char* kTipDigital = "Настройки отображения цифровых сигналов";
inline constexpr const char* kTipGeneral = "Общие настройки осциллограмм";

inline constexpr const char* kAboutCaption = shared_texts::kAbout;
inline constexpr const char* kAboutText = "Осциллограф\nВерсия 0.6\nСборка 13.11.15";

// Plot
inline constexpr const char* kAxisSeconds = "t,сек.";
inline constexpr const char* kAxisMilliseconds = "t,мсек.";
inline constexpr const char* kInputLabel = "Вх.%1";
inline constexpr const char* kOutputLabel = "Вых.%1";
inline constexpr const char* kFontFamily = "Arial";
inline constexpr const char* kChannelNamesRms[7] = {"Ia", "Ib", "Ic", "Ua", "Ub", "Uc", "3Io"};
inline constexpr const char* kChannelNamesInst[7] = {"ia", "ib", "ic", "ua", "ub", "uc", "3io"};
inline constexpr const char* kMarker1 = "t1";
inline constexpr const char* kMarker0 = "t0";
inline constexpr const char* kMarkerSeparator = ";";
inline constexpr const char* kMarkerDifference = "t1-t0";

// Analog panel
inline constexpr const char* kCurrentGraphs[4] = {"Гр.1", "Гр.2", "Гр.3", ""};
inline constexpr const char* kVoltageGraphs[4] = {"Гр.4", "Гр.5", "Гр.6", ""};
inline constexpr const char* kGroupView = "Вид графиков";
inline constexpr const char* kShowPoints = "Показ точек";
inline constexpr const char* kGroupCurves = "Построение кривых";
inline constexpr const char* kLinear = "Линейная\n интерполяция";
inline constexpr const char* kSplines = "Аппроксимация\n       сплайнами";

// Digital panel
inline constexpr const char* kDigitalOn = "Вкл. отображение";
inline constexpr const char* kInputs = "Входы";
inline constexpr const char* kOutputs = "Выходы";
inline constexpr const char* kFilter = "Фильтр:";
inline constexpr const char* kFilterItems[3] = {kInputs, kOutputs, "Все"};
inline constexpr const char* kSet = "Установить";
inline constexpr const char* kClear = "Очистить";
inline constexpr const char* kApply = "Применить выбор";
inline constexpr const char* kCancel = "Отмена";

// General panel
inline constexpr const char* kLineWidth = "Толщина\n    линий:";
inline constexpr const char* kLineWidths[4] = {"1", "2", "3", "4"};
inline constexpr const char* kBackground = "Фон";
inline constexpr const char* kGrid = "Сетка";

// Colour and preview dialog
inline constexpr const char* kPreviewCaption = kMiPreview;
inline constexpr const char* kPrintDigital = "Дискр.сигналы";
inline constexpr const char* kPrintMarker1 = "Линия метки 1";
inline constexpr const char* kPrintMarker2 = "Линия метки 2";
inline constexpr const char* kMatchScreen = "Соответствие экранным";
inline constexpr const char* kBlackWhite = "Черно-белые по умолчанию";
inline constexpr const char* kOrientation = "Ориентация";
inline constexpr const char* kPortrait = " Книжная";
inline constexpr const char* kLandscape = " Альбомная";
inline constexpr const char* kPrint = kMiPrint;
inline constexpr const char* kPrinter = "Принтер...";

}  // namespace tirv::viewer_texts
