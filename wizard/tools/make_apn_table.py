#!/usr/bin/env python3
"""Turns the GSM entries of an operator database (serviceproviders.xml of the
mobile-broadband-provider-info package) into the wizard's compact APN table.

Usage: make_apn_table.py <serviceproviders.xml> <output file>

Layout of the table (all numbers little-endian; a text is one length byte and
that many UTF-8 bytes):

    "RAPN"  magic
    u8      format version (1)
    u16     operator count
            per operator: text name, u8 APN count,
                          per APN: text APN, text user name, text password
    u16     network id count
            per network id, sorted by MCC, MNC digit count, MNC:
                          u16 MCC, u16 MNC, u8 MNC digit count (2 or 3),
                          u16 operator index

Only operators with a GSM part are kept. Their APNs are those for internet
use: usage "internet", or no usage given. An operator without one is still kept
so that a SIM naming it is not mistaken for its host network's operator.
"""

import struct
import sys
import xml.etree.ElementTree as ElementTree

MAGIC = b"RAPN"
VERSION = 1
MAX_TEXT = 255


def encode_text(text):
    data = (text or "").strip().encode("utf-8")
    if len(data) > MAX_TEXT:
        raise ValueError("text longer than %d bytes: %r" % (MAX_TEXT, text))
    return struct.pack("<B", len(data)) + data


def plain_name(element):
    """The element's <name> without a language attribute, else its first one."""
    names = element.findall("name")
    for name in names:
        if not name.attrib:
            return (name.text or "").strip()
    return (names[0].text or "").strip() if names else ""


def is_internet_apn(apn):
    usages = [usage.get("type", "") for usage in apn.findall("usage")]
    return not usages or "internet" in usages


def child_text(element, tag):
    child = element.find(tag)
    return (child.text or "").strip() if child is not None and child.text else ""


def internet_apns(gsm):
    apns = []
    for apn in gsm.findall("apn"):
        value = apn.get("value", "").strip()
        if value and is_internet_apn(apn):
            apns.append((value, child_text(apn, "username"), child_text(apn, "password")))
    return apns


def network_ids(gsm):
    ids = []
    for network in gsm.findall("network-id"):
        mcc, mnc = network.get("mcc", ""), network.get("mnc", "")
        if len(mcc) == 3 and mcc.isdigit() and len(mnc) in (2, 3) and mnc.isdigit():
            ids.append((int(mcc), len(mnc), int(mnc)))
    return ids


def read_operators(path):
    root = ElementTree.parse(path).getroot()
    operators, networks = [], set()
    for provider in root.iter("provider"):
        gsm = provider.find("gsm")
        if gsm is None:
            continue
        ids = network_ids(gsm)
        if not ids:
            continue
        index = len(operators)
        operators.append((plain_name(provider), internet_apns(gsm)))
        networks.update((mcc, digits, mnc, index) for mcc, digits, mnc in ids)
    return operators, sorted(networks)


def encode_table(operators, networks):
    if len(operators) > 0xFFFF or len(networks) > 0xFFFF:
        raise ValueError("too many operators or network ids")
    out = bytearray(MAGIC + struct.pack("<BH", VERSION, len(operators)))
    for name, apns in operators:
        out += encode_text(name)
        apns = apns[:0xFF]
        out += struct.pack("<B", len(apns))
        for value, user, password in apns:
            out += encode_text(value) + encode_text(user) + encode_text(password)
    out += struct.pack("<H", len(networks))
    for mcc, digits, mnc, index in networks:
        out += struct.pack("<HHBH", mcc, mnc, digits, index)
    return bytes(out)


def main(argv):
    if len(argv) != 3:
        sys.stderr.write("usage: make_apn_table.py <serviceproviders.xml> <output>\n")
        return 2
    operators, networks = read_operators(argv[1])
    table = encode_table(operators, networks)
    with open(argv[2], "wb") as output:
        output.write(table)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
