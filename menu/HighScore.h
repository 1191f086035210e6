#pragma once
// The world high-score table on the score server: the version check, the score submission and the
// address of the table for the web browser. The requests block the frame loop; the "Connection"
// page stays on screen meanwhile.
//
// Addresses: the server's base address (from "Data\Menu\ScoreServer.txt", whose first non-empty
// line it is; a loose file overrides the archive's) followed by "/cgi/version.pl?" and the query.

#include <string>

constexpr char        HighScoreKey = 'R';                        // the "|key=" value the score server expects
constexpr const char *ScoreProgram = "Zephrona";                 // the "prg=" value
constexpr const char *DefaultScoreServer = "http://127.0.0.1:8642";   // when the data file is missing or empty

// The base address of the score server, without a trailing "/".
std::string ScoreServerAddress();
std::string VersionCheckAddress(const std::string &base);
std::string SubmissionAddress(const std::string &base, const std::string &encodedRecord);
std::string WorldTableAddress(const std::string &base);

// Takes the text before the first "|" off the front of Reply (all of it when there is none).
std::string TakeReplyField(std::string &reply);
// The fifth field taken from a version reply (the first being the one starting with "OK").
std::string VersionReplyValue(std::string reply);

// The submission before encoding: "type=0|name=N|score=S|key=K|p=P|add=C|z=", then "0" characters up
// to a multiple of 5.
std::string HighScoreRecord(const std::string &name, int score, const std::string &p, const std::string &country);

// Sends the current player's score with Country: shows the "Connection" page, checks the version,
// sends the record and goes to the main page; page 23 ("Connection Failed") when either request
// fails or the version reply does not start with "OK".
void SendHighScore();
// Opens the world table in the web browser.
void ViewWorldHighScore();
