#pragma once
// Every text the link layer shows to the user, kept in one place so that pages, the connection
// panel and the tests use exactly the same words. UTF-8; "%i" marks are filled with QString::arg.
#include "common/shared_texts.h"

#include <QString>

namespace tirv::link_texts {

// Status-bar cell 3 (link state).
inline constexpr char kLinkChecking[] = "Проверка связи";
inline constexpr char kLinkCheckingRepeat[] = "Проверка связи: %1";
inline constexpr char kLinkEstablished[] = "Связь установлена";
inline constexpr char kTcpConnected[] = "Соедин. установлено";
inline constexpr char kNoLink[] = "Нет связи с устр-вом";

// Port state field of the connection panel.
inline constexpr char kPortOpen[] = "Открыт";
inline constexpr char kPortUnavailableField[] = "Недоступен";

// Status-bar cell 0 and message boxes.
inline constexpr char kPortUnavailableStatus[] = "Порт недоступен";
inline constexpr char kPortBusy[] = "Выбранный порт COM%1 недоступен или занят другой программой";
inline constexpr char kLinkCheckFailed[] = "Ошибка проверки связи - повторите операцию";
inline constexpr char kRepeatSuffix[] = "повтор %1";
inline constexpr char kCannotConnect[] =
    "Не удается установить соединение с устройством. Проверьте настройки соединения.";
inline constexpr char kDeviceCannotExecute[] = "Устройство не может выполнить запрос";
inline constexpr char kUserAbortPage[] = " Операция обмена была прервана пользователем";
inline constexpr char kUserAbortThread[] = "Операция прервана пользователем";
inline constexpr char kRequestNotSent[] = "Запрос не отправлен";
inline constexpr char kOperationFailed[] = "Операцию выполнить не удалось";
inline constexpr char kReadFailed[] = "Операцию чтения из устр-ва выполнить не удалось";
inline constexpr char kWriteFailed[] = "Операцию записи в устр-во выполнить не удалось";
inline constexpr char kSerialThreadFailed[] = "Не удалось открыть поток COM-порта";
inline constexpr char kTcpThreadFailed[] = "Не удалось открыть поток соединения порт %1";
inline constexpr char kAskGoToBootloader[] =
    "Выбранная операция не может быть выполнена: устройство находится в режиме ожидания "
    "обновления ПО.\nПерейти к загрузке ПО?";
// A request while another exchange holds the line.
inline constexpr char kLineBusy[] = "  Идет обмен с устройством: дождитесь окончания операции";
inline constexpr char kNoPorts[] = "отсутствуют";
inline constexpr char kPortName[] = "COM%1";

// Modbus TCP worker.
inline constexpr char kTcpThreadOpened[] = " Открыт поток чтения/записи";
inline constexpr char kTcpSocketFailed[] = " Открытие сокета завершилось с ошибкой: %1";
inline constexpr char kTcpConnectFailed[] = " Соединение завершилось с ошибкой: %1";
inline constexpr char kTcpIoFailed[] = "Сбой операции ввода вывода с ошибкой %1";
inline constexpr char kTcpNoData[] = "Отсутствуют данные, закрытие сокета %1";
inline constexpr char kUnsupportedFunction[] = "Данный код функции не поддерживается";

// Message-box captions.
inline constexpr const auto& kCaptionError = shared_texts::kCaptionError;
inline constexpr const auto& kCaptionWarning = shared_texts::kCaptionWarning;
inline constexpr char kCaptionReadWrite[] = "Ошибка чтения/записи в устройство";
inline constexpr char kCaptionProtocol[] = "Протокол обмена";

inline QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace tirv::link_texts
