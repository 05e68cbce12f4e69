#pragma once
// The words of the breaker window and its commands. UTF-8.
namespace tirv::breaker_texts {

inline constexpr char kTitle[] = "ДУ выкл-лем";
inline constexpr char kClose[] = "Включить";
inline constexpr char kOpen[] = "Отключить";
inline constexpr char kUnblock[] = "Деблокирование";

inline constexpr char kOpened[] = "  Дистанционное управление выключателем";
inline constexpr char kSendingClose[] = "  Передача сигнала на включение выключателя";
inline constexpr char kSendingOpen[] = "  Передача сигнала на отключение выключателя";
inline constexpr char kSendingUnblock[] = "  Передача сигнала на деблокирование выключателя";
inline constexpr char kDone[] = "  Операция передачи команды ДУ завершена";
inline constexpr char kBlocked[] = "Команда ДУ не может быть выполнена: устройство заблокировано";
inline constexpr char kFailed[] = "Ошибка передачи команды ДУ";
inline constexpr char kNoAcknowledgement[] = "Нет подтверждения получения сигнала чтения";
inline constexpr char kLinkFailed[] = "Операцию ДУ выключателем выполнить не удалось";

}  // namespace tirv::breaker_texts
