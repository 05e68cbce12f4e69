#pragma once
// Every text of the firmware update (file checks, progress list, protocol file, final texts),
// kept in one place so that the loaders, the update sequences, the page, tirv-cli and the tests
// use exactly the same words. UTF-8; printf marks (%s, %i, %X, %.2u) are filled by the user.
namespace tirv::firmware_texts {

// --- File choice -------------------------------------------------------------------------------
inline constexpr char kOpenDialogTitle[] = "Открыть файл прошивки ПО ТИРВ";
inline constexpr char kFilterMot[] = "Файлы прошивки ПО ТИРВ(*.mot)";
inline constexpr char kFilterHex[] = "Файлы прошивки ПО ТИРВ(*.hex)";
inline constexpr char kExtensionMot[] = "mot";
inline constexpr char kExtensionHex[] = "hex";
// The same text for both families.
inline constexpr char kWrongExtension[] =
    "Расширение выбранного файла не соответствует файлу прошивок ПО ТИРВ *.mot";
inline constexpr char kCannotOpenFile[] = "Невозможно открыть файл. Код ошибки %i";
inline constexpr char kCannotAllocateFile[] =
    "Не удалось зарезервировать область памяти для загрузки файла.";
inline constexpr char kCannotAllocateImage[] =
    "Не удалось зарезервировать область памяти для файла данных.";

// --- Captions ------------------------------------------------------------------------------------
inline constexpr char kCaptionReadWrite[] = "Ошибка чтения/записи";
inline constexpr char kCaptionLoadFile[] = "Ошибка загрузки файла";

// --- S-record check ------------------------------------------------------------------------------
inline constexpr char kFormatError[] =
    "Файл не соответствует формату файла прошивки ПО ТИРВ или поврежден.";
inline constexpr char kSrecAddressing[] =
    "Адресация памяти не соответствует формату адресации контроллера ТИРВ или файл поврежден.";
inline constexpr char kSrecBootloaderArea[] =
    "В данном файле используется недопустимая адресация к памяти загрузчика или файл поврежден.";
inline constexpr char kSrecOutOfRange[] =
    "Адресация памяти выходит за рамки пространства адресации контроллера ТИРВ или файл "
    "поврежден.";
inline constexpr char kNoData[] = "В файле отсутствуют данные для записи ПО или файл поврежден.";

// --- Intel HEX check (the step name, then the format text) ---------------------------------------
inline constexpr char kHexByteCount[] =
    "определение количества данных -Файл не соответствует формату файла прошивки ПО ТИРВ или "
    "поврежден.";
inline constexpr char kHexLineLength[] =
    "проверка длины строки -Файл не соответствует формату файла прошивки ПО ТИРВ или поврежден.";
inline constexpr char kHexCharacters[] =
    "проверка на допустимость символов -Файл не соответствует формату файла прошивки ПО ТИРВ или "
    "поврежден.";
inline constexpr char kHexRecordType[] =
    "определение типа строки -Файл не соответствует формату файла прошивки ПО ТИРВ или поврежден.";
inline constexpr char kHexChecksum[] =
    "вычисление и проверка КС Файл не соответствует формату файла прошивки ПО ТИРВ или поврежден.";
inline constexpr char kHexExtendedAddress[] =
    "расширенная запись адреса -Файл не соответствует формату файла прошивки ПО ТИРВ или "
    "поврежден.";
inline constexpr char kHexEndRecord[] =
    "конец файла -Файл не соответствует формату файла прошивки ПО ТИРВ или поврежден.";
inline constexpr char kHexOffset[] =
    "приращение базового адреса -Файл не соответствует формату файла прошивки ПО ТИРВ или "
    "поврежден.";
inline constexpr char kHexNoEndRecord[] =
    "нет строки конца файла -Файл не соответствует формату файла прошивки ПО ТИРВ или поврежден.";

// --- Update page
// -----------------------------------------------------------------------------------
inline constexpr char kColumnTime[] = "Время";
inline constexpr char kColumnStep[] = "Выполнение";
inline constexpr char kTimeFormat[] = "%.2u:%.2u:%.2u.%.3u";
inline constexpr char kGoToUpdateQuestion[] = "Перейти к загрузке ПО?";
inline constexpr char kFileOpened[] = "Открыт файл ПО %s";
inline constexpr char kUpdateOfModel[] = "Обновление ПО ТИРВ-%iM:";
inline constexpr char kModelName[] = "ТИРВ-%iM";

// Non-M timing fields: empty or out of range, each replaced by its minimum.
inline constexpr char kEraseTimeEmpty[] =
    "Не введено значение времени на очистку блока памяти устройства, - будет использовано "
    "минимально допустимое значение.";
inline constexpr char kWriteTimeEmpty[] =
    "Не введено значение времени на запись страницы памяти устройства, - будет использовано "
    "минимально допустимое значение.";
inline constexpr char kInitTimeEmpty[] =
    "Не введено значение времени на инициализацию устройства, - будет использовано минимально "
    "допустимое значение.";
inline constexpr char kEraseTimeRange[] =
    "Введенное значение времени на очистку блока памяти устройства выходит за пределы диапазона и "
    "будет заменено минимально допустимым.";
inline constexpr char kWriteTimeRange[] =
    "Введенное значение времени на запись страницы памяти устройства выходит за пределы диапазона "
    "и будет заменено минимально допустимым.";
inline constexpr char kInitTimeRange[] =
    "Введенное значение времени на инициализацию устройства выходит за пределы диапазона и будет "
    "заменено минимально допустимым.";

// --- Protocol file
// ---------------------------------------------------------------------------------
inline constexpr char kProtocolFilter[] = "Файлы протоколов загрузки ПО(*.txt)";
inline constexpr char kProtocolPrompt[] = "Выбрать файл записи протокола загрузки ПО:";
inline constexpr char kProtocolCannotOpen[] =
    "Невозможно открыть файл для записи протокола прошивки устройства. Код ошибки %i";
inline constexpr char kProtocolHeader[] = "\r\nХод выполнения обновления ПО :\r\n Устройство ";
inline constexpr char kProtocolSerial[] = "\r\n  Заводской № %s\r\n";
inline constexpr char kProtocolBuild[] = "сборка  %s\r\n ";
inline constexpr char kProtocolFile[] = "\r\n Будет производиться обновление ПО из файла: %s \r\n";
inline constexpr char kProtocolDate[] =
    "\r\n Дата %.2u.%.2u.%.2u , время начала %.2u:%.2u:%.2u.%.3u\r\n";
inline constexpr char kProtocolStepPrefix[] = "\r\n%.2u:%.2u:%.2u.%.3u ";
inline constexpr char kProtocolSent[] = "%.2u.%.2u.%.2u  %.2u:%.2u:%.2u.%.3u   W: ";
inline constexpr char kProtocolReceived[] = "%.2u.%.2u.%.2u  %.2u:%.2u:%.2u.%.3u   R: ";
inline constexpr char kProtocolByte[] = " %.2X";
inline constexpr char kProtocolStreamClosing[] = "\r\n Поток обмена с устройством закрывается";
inline constexpr char kProtocolPortClosed[] = "\r\n COMM-порт закрыт\r\n";
inline constexpr char kProtocolFailed[] = "\r\n Операцию выполнить не удалось\r\n";

// --- Non-M sequence
// --------------------------------------------------------------------------------
inline constexpr char kConfirmLoaderMode[] = "Подтверждение перевода в режим загрузки ПО";
inline constexpr char kEnteringLoader[] = "Перевод устройства в режим загрузки ПО";
inline constexpr char kEnterLoaderFailed[] = "Не удалось перевести устройство в режим загрузки ПО";
inline constexpr char kEnterLoaderSent[] =
    "Команды перевода устройства в режим загрузки ПО успешно отправлены.";
inline constexpr char kLoaderConfirmed[] = "Подтверждение от устройства получено.";
inline constexpr char kErasingBlocks[] = "Загрузка ПО: очистка блоков памяти";
inline constexpr char kNoLoaderReady[] = " Нет подтверждения готовности устройства к загрузке ПО";
inline constexpr char kBlockErased[] = "Очищен блок памяти _%X";
inline constexpr char kBlockEraseFailed[] = "Не удалось очистить блок памяти _%X";
inline constexpr char kMemoryEraseFailed[] = "  Не удалось очистить память устройства";
inline constexpr char kUpdateNotFinished[] = "Операция загрузки ПО не завершена";
inline constexpr char kDeviceInLoader[] = "Устройство находится в режиме загрузки ПО";
inline constexpr char kDeviceWaitsForUpdate[] =
    "Устройство находится в режиме ожидания загрузки ПО";
inline constexpr char kEraseDone[] = "Очистка памяти устройства успешно завершена";
inline constexpr char kWritingMemory[] = "Загрузка ПО: запись памяти";
inline constexpr char kPageWriteFailed[] = "Ошибка записи страницы памяти по адресу 0x%X";
inline constexpr char kMemoryWriteFailed[] = " Не удалось осуществить запись памяти устройства";

// --- M sequence: start, steps and their failures -------------------------------------------------
inline constexpr char kPortOpened[] = "Порт COM%i открыт";
inline constexpr char kPortOpenFailed[] = "Не удалось открыть порт COM%i";
inline constexpr char kUpdateImpossible[] = "Обновление ПО осуществить не удалось";
inline constexpr char kStreamOpened[] = "Поток обмена с устройством открыт";
inline constexpr char kWriteStreamFailed[] = "Не удалось открыть поток записи";
inline constexpr char kReadStreamFailed[] = "Не удалось открыть поток чтения";
inline constexpr char kPortBusy[] = "Выбранный порт COM%i недоступен или занят другой программой";
inline constexpr char kUserAborted[] = "Операция прервана пользователем";
inline constexpr char kRequestNotSent[] = "Запрос не отправлен";

inline constexpr char kInitDone[] = "Выполнена";
inline constexpr char kConfirmPid[] = "Подтверждение PID устройства";
inline constexpr char kPidGood[] = "Выполнено, PID=4.13";
inline constexpr char kPidWrong[] = "Получен PID=%i.%i, что не соответствует требованиям";
inline constexpr char kVersionGood[] = "Подтверждено, весия загрузчика 3.1";
inline constexpr char kVersionWrong[] = "Версия загрузчика отличается от 3.1";
inline constexpr char kReadable[] = "Память доступна для чтения";
inline constexpr char kReadProtected[] = "Память защищена от чтения";
inline constexpr char kWritable[] = "Память доступна для записи";
inline constexpr char kWriteProtected[] = "Память защищена от записи";
inline constexpr char kReadUnprotected[] = "Защита от чтения снята";
inline constexpr char kWriteUnprotected[] = "Защита от записи снята";
inline constexpr char kEraseStepDone[] = "Выполнено";
inline constexpr char kWritingProgram[] = "Запись памяти программ";
inline constexpr char kProgramWritten[] = "Запись ПО осуществлена";
inline constexpr char kCheckingProgram[] = "Проверка записанного ПО";
inline constexpr char kProgramMatches[] = "Записанное ПО соответствует ПО из файла";
inline constexpr char kDataMismatch[] = "Обнаружено несоответствие данных";
inline constexpr char kJumpDone[] = "Переход на начало программы осуществлен";
inline constexpr char kUpdateVerified[] = "Загрузка ПО и верификация выполнены";
inline constexpr char kVerifyMatches[] = "Верификация выполнена: ПО в устройстве и файле совпадают";

inline constexpr char kReadCheckFailed[] =
    "Проверку отсутствия защиты от чтения выполнить не удалось";
inline constexpr char kWriteCheckFailed[] =
    "Проверку отсутствия защиты от записи выполнить не удалось";
inline constexpr char kReadUnprotectFailed[] = "Защиту от чтения снять не удалось";
inline constexpr char kWriteUnprotectFailed[] = "Защиту от записи снять не удалось";
inline constexpr char kEraseFailed[] = "Очистку памяти осуществить не удалось";
inline constexpr char kWriteFailed[] = "Запись памяти осуществить не удалось";
inline constexpr char kDeviceDiffers[] = "ПО в устройстве не соответствует ПО из файла";
inline constexpr char kReadBackFailed[] = "Чтение памяти осуществить не удалось";
inline constexpr char kUpdateDone[] = "Загрузка ПО выполнена";
inline constexpr char kJumpFailed[] = "Переход на начало программы осуществить не удалось";
inline constexpr char kUpdateFailed[] = "Загрузку ПО выполнить не удалось";
inline constexpr char kVerifyFailed[] = "Верификацию ПО выполнить не удалось";

// --- Final texts (the page's status after the run) -----------------------------------------------
inline constexpr char kFinalUpdateDone[] = " Загрузка ПО успешно завершена";
inline constexpr char kFinalUpdateAborted[] = " Загрузка ПО была прервана пользователем";
inline constexpr char kFinalVerifyAborted[] = " Верификация ПО была прервана пользователем";
inline constexpr char kFinalUpdateMismatch[] =
    " Загрузка ПО завершена. Ошибка верификации ПО устройства";
inline constexpr char kFinalUpdateUnverified[] =
    " Загрузка ПО завершена. Верификацию ПО осуществить не удалось";
inline constexpr char kFinalUpdateFailed[] = " Загрузку ПО осуществить не удалось";
inline constexpr char kFinalVerifyDone[] =
    " Верификация завершена: ПО в устройстве и файле совпадают";
inline constexpr char kFinalVerifyMismatch[] = " Ошибка верификации ПО устройства";
inline constexpr char kFinalVerifyFailed[] = " Верификацию ПО устройства осуществить не удалось";

}  // namespace tirv::firmware_texts
