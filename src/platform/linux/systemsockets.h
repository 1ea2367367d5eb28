#pragma once

// getaddrinfo and the socket addresses, from the C library.
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
