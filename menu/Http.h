#pragma once
// The one kind of request the front end makes: a blocking HTTP GET with time-outs, so that a dead
// network holds the game up for seconds, not minutes.

#include <string>

extern int HttpConnectTimeoutMs;   // giving up on a server that does not answer the connection
extern int HttpTotalTimeoutMs;     // giving up on the whole request

// GETs Url. True with the reply body when the server answered with a success status; false for no
// connection, a time-out, an error status or a reply of more than 64 KiB (Body is then unspecified).
bool HttpGet(const std::string &url, std::string &body);
