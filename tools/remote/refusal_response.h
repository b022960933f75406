// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

#include "tools/remote/request_head.h"

namespace velmo::remote {

// The JSON body of every error the remote answers: {"error": message}.
QByteArray errorBody(const std::string& message);

// The reason phrase of an HTTP status the remote answers with.
QByteArray reasonPhrase(int status);

// A whole HTTP/1.1 response to a refused request, which closes the
// connection: the status, the JSON error body and, for 401, how to
// authenticate, for 429, when to try again.
QByteArray refusalResponse(const Refusal& refusal);

}  // namespace velmo::remote
