#pragma once
// What tirv-cli tells the calling script; every command ends with one of these.
namespace tirv::cli {

enum class Exit : int {
    Ok = 0,
    NoLink = 1,   // no link, link failure, repeats used up
    Usage = 2,    // wrong command line
    File = 3,     // a file cannot be read or written
    Refused = 4,  // the relay answered with an exception reply
    Invalid = 5,  // rejected read, invalid file content
};

}  // namespace tirv::cli
