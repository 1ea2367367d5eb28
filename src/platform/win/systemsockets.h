#pragma once

// getaddrinfo and the socket addresses, from Windows Sockets.
#include <winsock2.h>

#include <ws2tcpip.h>
