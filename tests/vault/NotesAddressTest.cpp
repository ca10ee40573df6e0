// The web address of an account's notes: the forms people write, and lines that must not open.

#include "vault/NotesAddress.h"

#include <gtest/gtest.h>

TEST(NotesAddress, TheFirstAddressLineOrUrlLineIsTheAccountsWebAddress) {
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},
        {"https://example.com/login;", "https://example.com/login"},
        {"  HTTP://Example.com:8080/a?b=c#d \t;", "HTTP://Example.com:8080/a?b=c#d"},
        {"note;http://first.example;https://second.example;", "http://first.example"},
        {"url: example.com/sign-in;", "https://example.com/sign-in"},
        {"URL:https://bank.example;", "https://bank.example"},
        {"url: localhost:8443;", "https://localhost:8443"},
        {"url: ann@mail.example;", "https://ann@mail.example"},
        {"see https://example.com;", ""},          // not on a line of its own
        {"https://example.com and more;", ""},     // a blank inside
        {"https://;https:///path;http://?q;", ""}, // no host
        {"https://example.com", ""},               // after the last ";": not shown
        {"url: file:///etc/passwd;", ""},          // only web addresses open
        {"url: javascript:alert(1);", ""},
        {"url: mailto:ann@example.com;", ""},
        {"url: //example.com;", ""},
        {"url:;url:   ;", ""},
        {"ftp://example.com;www.example.com;", ""},
        {"url: file:/x;url: shop.example;", "https://shop.example"},
        {"https://caf\xE9.example;", "https://caf\xE9.example"},
        {"https://a.example/\x01;", ""},
    };
    for (const auto& [notes, address] : cases)
        EXPECT_EQ(NotesWebAddress(notes), address) << notes;
}
