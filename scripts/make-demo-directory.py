#!/usr/bin/env python3
"""Writes data/demo-directory.json, the embedded demo directory.

Two trees of a made-up French organisation: GALVANOR, an industrial company (Paris head
office, a plant near Lyon, a logistics site at Lille, a southern agency), and CHVALMONT, a
hospital under a country object. Every syntax from 1 to 27 has values somewhere. The output
is deterministic: run it again and the file comes out byte for byte the same.

Usage: scripts/make-demo-directory.py [OUT.json]   (default: data/demo-directory.json)
"""

import calendar
import json
import random
import sys
import unicodedata
from pathlib import Path

SEED = 20040615
rng = random.Random(SEED)

# The moment the directory was "captured"; every date is placed around it.
NOW = calendar.timegm((2004, 6, 15, 10, 30, 0))
DAY = 86400

# ---------------------------------------------------------------------------------------------
# Schema

# Attribute flag bits.
SINGLE, SIZED, NONREMOVABLE, READ_ONLY, HIDDEN, STRING, SYNC_IMMEDIATE, PUBLIC_READ, SERVER_READ, \
    WRITE_MANAGED, PER_REPLICA = 0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80, 0x100, 0x200, 0x400

ATTRIBUTES = [
    ("Account Balance", 8, SINGLE),
    ("ACL", 17, SYNC_IMMEDIATE),
    ("Allow Unlimited Credit", 7, SINGLE),
    ("Back Link", 23, READ_ONLY | SERVER_READ),
    ("C", 4, SINGLE | SIZED | STRING),
    ("Certificate Chain", 13, 0),
    ("CN", 3, NONREMOVABLE | SIZED | STRING | SYNC_IMMEDIATE),
    ("Default Queue", 1, SINGLE | SERVER_READ),
    ("Description", 3, SIZED | STRING),
    ("Detect Intruder", 7, SINGLE),
    ("Device", 1, 0),
    ("DS Revision", 8, SINGLE | READ_ONLY),
    ("EMail Address", 14, PUBLIC_READ),
    ("Employee ID", 4, SINGLE | STRING),
    ("Equivalent To Me", 1, SERVER_READ),
    ("Facsimile Telephone Number", 11, 0),
    ("Full Name", 3, SIZED | STRING),
    ("Generational Qualifier", 3, SINGLE | SIZED | STRING),
    ("Given Name", 3, SIZED | STRING),
    ("Group Membership", 1, WRITE_MANAGED),
    ("Home Directory", 15, SINGLE | SIZED),
    ("Host Device", 1, SINGLE),
    ("Host Resource Name", 3, SINGLE | STRING),
    ("Host Server", 1, SINGLE | SERVER_READ),
    ("Initials", 3, SIZED | STRING),
    ("Internet EMail Address", 3, STRING | PUBLIC_READ),
    ("Intruder Attempt Reset Interval", 27, SINGLE),
    ("Intruder Lockout Reset Interval", 27, SINGLE),
    ("L", 3, SIZED | STRING),
    ("Language", 6, SINGLE),
    ("Last Login Time", 24, SINGLE | READ_ONLY | PER_REPLICA),
    ("Last Referenced Time", 19, SINGLE | READ_ONLY | PER_REPLICA),
    ("Locked By Intruder", 7, SINGLE),
    ("Lockout After Detection", 7, SINGLE),
    ("Login Allowed Time Map", 9, SINGLE | SIZED),
    ("Login Disabled", 7, SINGLE),
    ("Login Expiration Time", 24, SINGLE),
    ("Login Grace Limit", 8, SINGLE),
    ("Login Grace Remaining", 8, SINGLE),
    ("Login Intruder Attempts", 22, SINGLE | PER_REPLICA),
    ("Login Intruder Reset Time", 24, SINGLE | PER_REPLICA),
    ("Login Script", 21, SINGLE),
    ("Login Time", 24, SINGLE | READ_ONLY | PER_REPLICA),
    ("Mailbox ID", 2, SINGLE | SIZED | STRING),
    ("Mailbox Location", 1, SINGLE),
    ("Member", 1, 0),
    ("Memory", 8, SINGLE),
    ("Network Address", 12, READ_ONLY | PER_REPLICA),
    ("Network Address Restriction", 12, 0),
    ("Notify", 25, 0),
    ("O", 3, SIZED | STRING),
    ("Object Class", 20, NONREMOVABLE | READ_ONLY | SYNC_IMMEDIATE),
    ("Operator", 1, SERVER_READ),
    ("OU", 3, SIZED | STRING),
    ("Owner", 1, 0),
    ("Page Description Language", 4, SIZED | STRING),
    ("Partition Creation Time", 19, SINGLE | READ_ONLY | PER_REPLICA),
    ("Password Allow Change", 7, SINGLE),
    ("Password Expiration Interval", 27, SINGLE),
    ("Password Expiration Time", 24, SINGLE),
    ("Password Minimum Length", 8, SINGLE),
    ("Password Required", 7, SINGLE),
    ("Path", 15, SINGLE),
    ("Physical Delivery Office Name", 3, SIZED | STRING),
    ("Postal Address", 18, 0),
    ("Postal Code", 5, SIZED | STRING),
    ("Print Job Configuration", 21, SINGLE),
    ("Print Server", 25, SINGLE),
    ("Printer", 1, 0),
    ("Printer Configuration", 9, SINGLE),
    ("Private Key", 9, SINGLE | HIDDEN | READ_ONLY | SERVER_READ),
    ("Profile", 1, SINGLE),
    ("Public Key", 9, SINGLE | PUBLIC_READ),
    ("Queue", 1, 0),
    ("Queue Directory", 3, SINGLE | SIZED | READ_ONLY),
    ("Replica", 16, READ_ONLY | SERVER_READ | PER_REPLICA),
    ("Resource", 1, 0),
    ("Revision", 22, SINGLE | NONREMOVABLE | READ_ONLY),
    ("Role Occupant", 1, 0),
    ("S", 3, SIZED | STRING),
    ("SA", 3, SIZED | STRING),
    ("SAP Name", 3, SINGLE | SIZED | STRING),
    ("Security Equals", 1, SERVER_READ | WRITE_MANAGED),
    ("See Also", 1, 0),
    ("Serial Number", 4, SIZED | STRING),
    ("Server", 1, SERVER_READ),
    ("Server Holds", 26, 0),
    ("Status", 8, SINGLE),
    ("Supported Services", 3, SIZED | STRING),
    ("Surname", 3, SIZED | STRING),
    ("Synchronized Up To", 19, READ_ONLY | PER_REPLICA),
    ("T", 3, SINGLE | SIZED | STRING),
    ("Telephone Number", 10, 0),
    ("Title", 3, SIZED | STRING),
    ("User", 1, SERVER_READ),
    ("Version", 3, SINGLE | STRING | PUBLIC_READ),
    ("Volume", 1, SINGLE),
]

# Attributes the hospital added to its schema.
HOSPITAL_ATTRIBUTES = [
    ("Matricule", 4, SINGLE | STRING),
    ("Numéro RPPS", 5, SINGLE | SIZED | STRING),
    ("Spécialité", 3, STRING),
]

CONTAINER, EFFECTIVE = 0x01, 0x02
IN_O_OU = ["Organization", "Organizational Unit"]
ADDRESS_ITEMS = ["Description", "EMail Address", "Facsimile Telephone Number", "L", "Postal Address",
                 "Postal Code", "S", "SA", "See Also", "Telephone Number"]
CONTAINER_ITEMS = sorted(ADDRESS_ITEMS + ["Detect Intruder", "Intruder Attempt Reset Interval",
                                          "Intruder Lockout Reset Interval", "Lockout After Detection",
                                          "Login Script", "Print Job Configuration"], key=str.lower)

# name, flags, super classes, containment, naming, mandatory, optional
CLASSES = [
    ("Top", 0, [], [], [], ["Object Class"],
     ["ACL", "Back Link", "Equivalent To Me", "Last Referenced Time", "Partition Creation Time", "Replica",
      "Revision", "Synchronized Up To"]),
    ("Tree Root", CONTAINER, ["Top"], [], ["T"], ["T"], []),
    ("Country", CONTAINER | EFFECTIVE, ["Top"], ["Tree Root"], ["C"], ["C"], ["Description"]),
    ("Locality", CONTAINER | EFFECTIVE, ["Top"], ["Country", "Locality", "Organization", "Organizational Unit"],
     ["L", "S"], [], ["Description", "L", "S", "SA", "See Also"]),
    ("Organization", CONTAINER | EFFECTIVE, ["Top"], ["Country", "Locality", "Tree Root"], ["O"], ["O"],
     CONTAINER_ITEMS),
    ("Organizational Unit", CONTAINER | EFFECTIVE, ["Top"], ["Locality", "Organization", "Organizational Unit"],
     ["OU"], ["OU"], CONTAINER_ITEMS),
    ("Person", 0, ["Top"], IN_O_OU, ["CN"], ["CN", "Surname"],
     ["Description", "Full Name", "Generational Qualifier", "Given Name", "Initials", "See Also",
      "Telephone Number"]),
    ("Organizational Person", 0, ["Person"], IN_O_OU, ["CN", "OU"], [],
     ["EMail Address", "Employee ID", "Facsimile Telephone Number", "Internet EMail Address", "L", "Mailbox ID",
      "Mailbox Location", "OU", "Physical Delivery Office Name", "Postal Address", "Postal Code", "S", "SA",
      "Title"]),
    ("User", EFFECTIVE, ["Organizational Person"], IN_O_OU, ["CN"], [],
     ["Account Balance", "Allow Unlimited Credit", "Group Membership", "Home Directory", "Language",
      "Last Login Time", "Locked By Intruder", "Login Allowed Time Map", "Login Disabled", "Login Expiration Time",
      "Login Grace Limit", "Login Grace Remaining", "Login Intruder Attempts", "Login Intruder Reset Time",
      "Login Script", "Login Time", "Network Address", "Network Address Restriction", "Password Allow Change",
      "Password Expiration Interval", "Password Expiration Time", "Password Minimum Length", "Password Required",
      "Print Job Configuration", "Profile", "Public Key", "Security Equals", "Server Holds"]),
    ("Group", EFFECTIVE, ["Top"], IN_O_OU, ["CN"], ["CN"],
     ["Description", "EMail Address", "Full Name", "L", "Mailbox ID", "Member", "O", "OU", "Owner", "See Also"]),
    ("Organizational Role", EFFECTIVE, ["Top"], IN_O_OU, ["CN"], ["CN"],
     ["Description", "EMail Address", "Facsimile Telephone Number", "L", "OU", "Postal Address", "Role Occupant",
      "See Also", "Telephone Number"]),
    ("Profile", EFFECTIVE, ["Top"], IN_O_OU, ["CN"], ["CN", "Login Script"],
     ["Description", "Full Name", "L", "O", "OU", "See Also"]),
    ("Device", EFFECTIVE, ["Top"], IN_O_OU, ["CN"], ["CN"],
     ["Description", "L", "Network Address", "O", "OU", "Owner", "See Also", "Serial Number"]),
    ("Printer", EFFECTIVE, ["Device"], IN_O_OU, ["CN"], [],
     ["Default Queue", "Memory", "Notify", "Operator", "Page Description Language", "Print Server",
      "Printer Configuration", "Queue", "Status"]),
    ("Resource", 0, ["Top"], IN_O_OU, ["CN"], ["CN"], ["Description", "Host Resource Name", "L", "O", "OU",
                                                       "See Also"]),
    ("Queue", EFFECTIVE, ["Resource"], IN_O_OU, ["CN"], ["Queue Directory"],
     ["Device", "Network Address", "Operator", "Server", "User", "Volume"]),
    ("Volume", EFFECTIVE, ["Resource"], IN_O_OU, ["CN"], ["Host Server"], ["Status"]),
    ("Directory Map", EFFECTIVE, ["Resource"], IN_O_OU, ["CN"], ["Host Server", "Path"], []),
    ("Server", 0, ["Top"], IN_O_OU, ["CN"], ["CN"],
     ["Account Balance", "Certificate Chain", "Description", "Full Name", "Host Device", "L", "Network Address",
      "O", "OU", "Operator", "Private Key", "Public Key", "Resource", "Security Equals", "See Also", "Status",
      "User", "Version"]),
    ("NCP Server", EFFECTIVE, ["Server"], IN_O_OU, ["CN"], [], ["DS Revision", "Supported Services"]),
    ("Print Server", EFFECTIVE, ["Server"], IN_O_OU, ["CN"], [], ["Printer", "SAP Name"]),
]


def schema(extra_attributes=(), extra_user_items=()):
    attributes = sorted(list(ATTRIBUTES) + list(extra_attributes), key=lambda a: a[0].lower())
    classes = []
    for name, flags, sup, cont, naming, mand, opt in CLASSES:
        if name == "User":
            opt = sorted(opt + list(extra_user_items), key=str.lower)
        classes.append({"name": name, "flags": flags, "super": sup, "containment": cont, "naming": naming,
                        "mandatory": mand, "optional": opt})
    return {"attributes": [{"name": n, "syntax": s, "flags": f} for n, s, f in attributes], "classes": classes}


# ---------------------------------------------------------------------------------------------
# People

FIRST_NAMES = [
    "Hélène", "François", "Gaëlle", "Jérôme", "Noël", "Anaïs", "Zoé", "Loïc", "Raphaël", "Joël", "Chloé", "Léa",
    "Clément", "Cécile", "Céline", "Thérèse", "Agnès", "Aurélie", "Benoît", "Séverine", "Mélanie", "Frédéric",
    "Stéphane", "Jérémy", "Valérie", "Sébastien", "Grégoire", "Béatrice", "Amélie", "Inès", "Océane", "Maëlle",
    "Théo", "Timothée", "Françoise", "Anne-Sophie", "Jean-Michel", "Marie-Hélène", "Pierre-Yves", "Élodie",
    "Émilie", "Éric", "Étienne", "Ghislaine", "Hervé", "Jean", "Marie", "Pierre", "Nathalie", "Isabelle",
    "Sylvie", "Catherine", "Philippe", "Michel", "Alain", "Patrick", "Nicolas", "Christophe", "Laurent",
    "Sandrine", "Christine", "Julien", "Camille", "Manon", "Lucas", "Hugo", "Louise", "Thomas", "Sophie",
    "Olivier", "Yannick", "Gwenaël", "Ronan", "Solène", "Maïwenn", "Bérénice", "Honoré", "Aimée", "Josée",
    "René", "Renée", "André", "Andrée", "Rémi", "Mathéo", "Adèle", "Clémence", "Gérald", "Régis", "Véronique",
]

SURNAMES = [
    "Dupré", "Lefèvre", "Lefebvre", "Mercier", "Bérenger", "Gérard", "Crépin", "Hébert", "Thébault", "Le Goff",
    "Le Bihan", "Ménard", "Rémy", "Sénéchal", "Évrard", "Giraud", "D'Almeida", "N'Diaye", "D'Arcy", "Lemaître",
    "Benoît", "Chevalier", "Guérin", "Barbier", "Lebœuf", "Lefrançois", "Garçon", "Martin", "Bernard",
    "Dubois", "Thomas", "Robert", "Richard", "Petit", "Durand", "Leroy", "Moreau", "Simon", "Laurent",
    "Michel", "Garcia", "David", "Bertrand", "Roux", "Vincent", "Fournier", "Morel", "Girard", "André",
    "Mathieu", "Clément", "Gauthier", "Dumont", "Lopez", "Fontaine", "Rousseau", "Blanc", "Guérin-Marchand",
    "Muller", "Henry", "Roussel", "Nicolas", "Perrin", "Morin", "Mathéo", "Brunet", "Schmitt", "Colin",
    "Vidal", "Caron", "Picard", "Roger", "Fabre", "Aubert", "Lemoine", "Renaud", "Dumas", "Lacroix", "Olivier",
    "Philippe", "Bourgeois", "Pierre", "Benoit", "Rey", "Leclerc", "Payet", "Rolland", "Leclercq", "Guillaume",
    "Lecomte", "Lopès", "Jean", "Dufour", "Carpentier", "Marchal", "Kerjean", "Quéré", "Prévost", "Bouchard",
    "De La Fontaine", "Le Gall", "Nguyen", "Ferreira", "Da Silva", "Lemaire", "Delmas", "Faure", "Boyer",
]


def ascii_fold(text):
    """Drops accents and every character a login or mail address cannot hold."""
    text = text.replace("œ", "oe").replace("Œ", "OE")
    text = unicodedata.normalize("NFKD", text)
    return "".join(c for c in text if c.isascii() and (c.isalnum() or c in "-")).lower()


def initials(given):
    return "".join(part[0] for part in given.split("-")).upper()


# ---------------------------------------------------------------------------------------------
# Object builders


class Tree:
    """Builds one tree's object hierarchy with typeless full names for references."""

    def __init__(self, name, domain):
        self.name = name
        self.domain = domain
        self.roots = []
        self.logins = {}

    def full(self, node):
        """Typeless full name of a node (leaf first, dotted)."""
        return ".".join(rdn.split("=", 1)[1] for rdn in self.path(node))

    def typed(self, node):
        """Typed full name of a node, with the leading dot back links carry."""
        return "." + ".".join(self.path(node))

    @staticmethod
    def path(node):
        parts = []
        while node is not None:
            parts.append(node["name"])
            node = node.get("_parent")
        return parts


def node(parent, tree, rdn, cls, values):
    n = {"name": rdn, "class": cls, "values": values, "_parent": parent}
    siblings = parent["children"] if parent is not None else tree.roots
    key = rdn.lower()
    assert all(s["name"].lower() != key for s in siblings), rdn
    siblings.append(n)
    return n


def container(parent, tree, rdn, cls, values):
    n = node(parent, tree, rdn, cls, values)
    n["children"] = []
    return n


OBJECT_CLASSES = {
    "User": ["User", "Organizational Person", "Person", "Top"],
    "Organization": ["Organization", "Top"],
    "Organizational Unit": ["Organizational Unit", "Top"],
    "Country": ["Country", "Top"],
    "Locality": ["Locality", "Top"],
    "Group": ["Group", "Top"],
    "Organizational Role": ["Organizational Role", "Top"],
    "Profile": ["Profile", "Top"],
    "Printer": ["Printer", "Device", "Top"],
    "Queue": ["Queue", "Resource", "Top"],
    "Volume": ["Volume", "Resource", "Top"],
    "Directory Map": ["Directory Map", "Resource", "Top"],
    "NCP Server": ["NCP Server", "Server", "Top"],
    "Print Server": ["Print Server", "Server", "Top"],
}


def base_values(cls, values):
    out = {"Object Class": OBJECT_CLASSES[cls]}
    out.update(values)
    out["Revision"] = [rng.randint(1, 40)]
    return out


def hexbytes(count):
    return "".join("%02X" % rng.randrange(256) for _ in range(count))


def ipx_address(net):
    return {"type": 0, "hex": "%08X" % net + hexbytes(6) + "4003"}


def ip_address(a, b, c, d, port=None):
    if port is None:
        return {"type": 1, "hex": "%02X%02X%02X%02X" % (a, b, c, d)}
    return {"type": 8, "hex": "%04X%02X%02X%02X%02X" % (port, a, b, c, d)}


def when(days_back_min, days_back_max):
    return NOW - rng.randint(days_back_min * DAY, days_back_max * DAY)


def acl(protected, subject, privileges):
    return {"protected": protected, "subject": subject, "privileges": privileges}


def crlf(lines, trailing=True):
    text = "\r\n".join(lines)
    return text + "\r\n" if trailing else text


def login_script(kind, volume, server):
    if kind == "container":
        return crlf([
            "REM Script de conteneur",
            "MAP DISPLAY OFF",
            "MAP ERRORS OFF",
            "MAP ROOT H:=%HOME_DIRECTORY",
            "MAP INS S1:=" + server + "_SYS:PUBLIC",
            "MAP G:=" + volume + ":COMMUN",
            "IF DAY_OF_WEEK = \"Lundi\" THEN WRITE \"Bonne semaine, %FULL_NAME !\"",
            "IF MEMBER OF \"Comptables\" THEN MAP K:=" + volume + ":COMPTA",
            "#CAPTURE Q=Q-GENERAL NB NT TI=10",
            "DRIVE H:",
        ])
    if kind == "profile":
        return crlf([
            "REM Profil standard : lecteurs communs",
            "MAP S16:=" + server + "_SYS:PUBLIC\\WIN",
            "MAP P:=" + volume + ":PROJETS",
            "WRITE \"Connexion de %LOGIN_NAME le %DAY/%MONTH/%YEAR à %HOUR24:%MINUTE\"",
        ], trailing=False)
    return crlf([
        "REM Script personnel",
        "MAP X:=" + volume + ":ARCHIVES\\%LOGIN_NAME",
        "WRITE \"L'archive de l'équipe est montée en X:\"",
    ])


DESCRIPTIONS = [
    "Référent \"sécurité\" du site",
    "Responsable paie, congés et absences",
    "Correspondant informatique local",
    "En télétravail le mercredi",
    "Sauveteur secouriste du travail (SST)",
    "Délégué du personnel, suppléant",
    "Contrat à durée déterminée, fin prévue en décembre",
    "Accès \"lecture seule\" au dossier de l'atelier",
    "Membre du CHSCT",
    "Formateur interne : bureautique, messagerie",
    "Remplace l'assistante pendant l'été",
    "Compte de service ; ne pas supprimer",
]

LANGUAGES = [["FRANÇAIS"], ["FRANÇAIS"], ["FRANÇAIS"], ["FRANÇAIS", "ENGLISH"], ["DEUTSCH", "FRANÇAIS"],
             ["ENGLISH", "FRANÇAIS"]]


class Site:
    """Contact details shared by the people of one site."""

    def __init__(self, city, region, postal, street, phone_prefix, fax_prefix, server, volume):
        self.city, self.region, self.postal, self.street = city, region, postal, street
        self.phone_prefix, self.fax_prefix = phone_prefix, fax_prefix
        self.server, self.volume = server, volume

    def phone(self):
        return "%s %02d %02d %02d" % (self.phone_prefix, rng.randint(10, 99), rng.randint(0, 99),
                                      rng.randint(0, 99))


def mobile():
    return "+33 6 %02d %02d %02d %02d" % tuple(rng.randint(0, 99) for _ in range(4))


class People:
    """Creates users with realistic, varied attribute sets."""

    def __init__(self, tree, org_name, hospital=False):
        self.tree = tree
        self.org_name = org_name
        self.hospital = hospital
        self.serial = 0
        self.users = []

    def login_for(self, given, surname):
        base = (ascii_fold(given)[:1] + ascii_fold(surname or given))[:8].rstrip("-")
        login, n = base, 2
        while login in self.tree.logins:
            login, n = "%s%d" % (base, n), n + 1
        self.tree.logins[login] = True
        return login

    def user(self, parent, site, title, given=None, surname=None, cn=None, no_surname=False, extra=None):
        given = given or rng.choice(FIRST_NAMES)
        if surname is None and not no_surname:
            surname = rng.choice(SURNAMES)
        login = self.login_for(given, surname) if cn is None else cn
        if cn is not None:
            self.tree.logins[cn.lower()] = True
        self.serial += 1
        mail_local = ascii_fold(given) + "." + ascii_fold(surname) if surname else ascii_fold(login)
        v = {"CN": [login]}
        if surname:
            v["Surname"] = [surname]
        v["Given Name"] = [given]
        if surname and rng.random() < 0.9:
            if rng.random() < 0.15:
                v["Full Name"] = ["%s, %s" % (surname.upper(), given)]
            else:
                v["Full Name"] = ["%s %s" % (given, surname)]
        if rng.random() < 0.2:
            v["Initials"] = [initials(given)]
        if title:
            v["Title"] = [title]
        if rng.random() < 0.18:
            v["Description"] = [rng.choice(DESCRIPTIONS)]
        r = rng.random()
        phones = [] if r < 0.1 or no_surname else [site.phone()]
        if r > 0.6:
            phones.append(mobile())
        if r > 0.92:
            phones.append(site.phone())
        if phones:
            v["Telephone Number"] = phones
        if rng.random() < 0.15:
            fax = site.phone().replace(site.phone_prefix, site.fax_prefix, 1)
            v["Facsimile Telephone Number"] = [fax if rng.random() < 0.5 else {"number": fax, "parameters": "0F"}]
        v["Internet EMail Address"] = [mail_local + "@" + self.tree.domain]
        if rng.random() < 0.2:
            v["EMail Address"] = [{"type": 0, "address": "SMTP:" + mail_local + "@" + self.tree.domain}]
        if rng.random() < 0.4:
            v["Employee ID"] = ["%s-%05d" % (self.tree.name[:2], 1000 + self.serial)]
        if rng.random() < 0.3:
            v["Mailbox ID"] = [ascii_fold(login).upper()[:8]]
        if rng.random() < 0.25:
            v["L"] = [site.city]
            v["S"] = [site.region]
        if rng.random() < 0.3:
            v["Postal Code"] = [site.postal]
        if rng.random() < 0.25 and parent["class"] == "Organizational Unit":
            v["OU"] = [parent["name"][3:]]
        if rng.random() < 0.1:
            v["Postal Address"] = [[self.org_name, parent["name"].split("=", 1)[1], site.street, "",
                                    "%s %s" % (site.postal, site.city.upper()), "France"]]
        if rng.random() < 0.6:
            namespace = 0 if rng.random() < 0.7 else 4
            v["Home Directory"] = [{"nameSpace": namespace, "volume": site.volume,
                                    "path": "USERS\\" + (ascii_fold(login).upper()[:8] if namespace == 0 else login)}]
        if rng.random() < 0.6:
            v["Language"] = [rng.choice(LANGUAGES)]
        v["Login Grace Limit"] = [rng.choice([6, 6, 6, 3, 10])]
        if rng.random() < 0.3:
            v["Login Grace Remaining"] = [rng.randint(0, v["Login Grace Limit"][0])]
        disabled = rng.random() < 0.05
        v["Login Disabled"] = [disabled]
        if rng.random() < 0.6:
            v["Password Required"] = [True]
            v["Password Minimum Length"] = [rng.choice([5, 6, 8])]
            v["Password Expiration Interval"] = [rng.choice([40, 60, 90, 90, 180]) * DAY]
            v["Password Expiration Time"] = [NOW + rng.randint(-10 * DAY, 90 * DAY)]
        if rng.random() < 0.1:
            v["Password Allow Change"] = [False]
        if rng.random() < 0.08:
            v["Login Expiration Time"] = [NOW + rng.randint(10, 200) * DAY - (NOW % DAY)]
        if rng.random() < 0.9:
            last = when(0, 120)
            v["Last Login Time"] = [last]
            if rng.random() < 0.5:
                v["Login Time"] = [last + rng.randint(60, 9 * 3600)]
        if rng.random() < 0.25:
            net = 0x0A0B0C00 + rng.randint(1, 30)
            v["Network Address"] = [ipx_address(net) if rng.random() < 0.4 else
                                    ip_address(10, rng.randint(1, 9), rng.randint(0, 255), rng.randint(1, 254))]
        if rng.random() < 0.03:
            v["Locked By Intruder"] = [True]
            v["Login Intruder Attempts"] = [rng.randint(3, 7)]
            v["Login Intruder Reset Time"] = [NOW + rng.randint(600, 3600)]
        if rng.random() < 0.06:
            # 42 bytes: one bit per half hour of the week; office hours only.
            v["Login Allowed Time Map"] = [{"hex": "".join(rng.choice(["00000000FFFF00", "0000C0FFFF0700"])
                                                           for _ in range(6))}]
        if rng.random() < 0.05:
            v["Login Script"] = [{"text": login_script("user", site.volume.split(".")[0], site.server)}]
        if rng.random() < 0.06:
            me = login + "." + self.tree.full(parent)
            v["ACL"] = [acl("[All Attributes Rights]", me, 2), acl("Login Script", me, 6),
                        acl("[Entry Rights]", "[Public]", 0)]
        if rng.random() < 0.04:
            v["Server Holds"] = [{"name": site.server + "." + ".".join(site.volume.split(".")[1:]),
                                  "amount": rng.choice([50, 120, 300])}]
            v["Account Balance"] = [rng.randint(-50, 500)]
        if rng.random() < 0.1:
            v["Last Referenced Time"] = [{"seconds": when(0, 30), "event": rng.randint(1, 20)}]
        if rng.random() < 0.03:
            v["Public Key"] = [{"hex": "3082010A0282010100" + hexbytes(23)}]
        if self.hospital:
            v["Matricule"] = ["CHV%06d" % (200000 + self.serial)]
        if extra:
            v.update(extra)
        u = node(parent, self.tree, "CN=" + login, "User", base_values("User", v))
        u["_login"] = login
        self.users.append(u)
        return u


def group(tree, parent, cn, description, members, extra=None):
    v = {"CN": [cn], "Description": [description]}
    if extra:
        v.update(extra)
    g = node(parent, tree, "CN=" + cn, "Group", base_values("Group", v))
    name = tree.full(g)
    if members:
        set_values(g, {"Member": [tree.full(m) for m in members]})
    for m in members:
        m["values"].setdefault("Group Membership", []).append(name)
        if rng.random() < 0.1:
            m["values"].setdefault("Security Equals", []).append(name)
    return g


def back_links(tree, users, server, count):
    """Back links from users to a server holding external references to them."""
    for u in rng.sample(users, count):
        set_values(u, {"Back Link": [{"remoteId": rng.randint(0x01000000, 0x0100FFFF),
                                      "name": tree.typed(server)}]})


def set_values(obj, values):
    """Adds values to an object keeping Revision last."""
    rev = obj["values"].pop("Revision")
    obj["values"].update(values)
    obj["values"]["Revision"] = rev


def container_values(kind, name, site=None, extra=None):
    v = {kind: [name]}
    if site is not None:
        v["L"] = [site.city]
        v["S"] = [site.region]
        v["Telephone Number"] = [site.phone()]
    if extra:
        v.update(extra)
    return v


# ---------------------------------------------------------------------------------------------
# GALVANOR


def build_galvanor():
    t = Tree("GALVANOR", "galvanor.fr")
    paris = Site("Paris", "Île-de-France", "75011", "12, rue de l'Industrie", "+33 1 43", "+33 1 48",
                 "PARIS1", "PARIS1_DATA.Informatique.Paris.Galvanor")
    lyon = Site("Vénissieux", "Rhône-Alpes", "69200", "ZI des Grandes Terres, 4, avenue Jean-Jaurès", "+33 4 72",
                "+33 4 78", "LYON1", "LYON1_DATA.Usine de Vénissieux.Lyon.Galvanor")
    lyon_city = Site("Lyon", "Rhône-Alpes", "69003", "45, cours Lafayette", "+33 4 78", "+33 4 72",
                     "LYON1", "LYON1_DATA.Usine de Vénissieux.Lyon.Galvanor")
    lille = Site("Lille", "Nord-Pas-de-Calais", "59000", "Parc d'activités de la Haute-Borne", "+33 3 20",
                 "+33 3 28", "LILLE1", "LILLE1_DATA.Lille.Galvanor")
    marseille = Site("Marseille", "Provence-Alpes-Côte d'Azur", "13002", "8, quai du Lazaret", "+33 4 91",
                     "+33 4 96", "LILLE1", "LILLE1_DATA.Lille.Galvanor")
    p = People(t, "Galvanor")

    o = container(None, t, "O=Galvanor", "Organization", base_values("Organization", container_values(
        "O", "Galvanor", paris, {
            "Description": ["Galvanor SA, traitement de surface et galvanisation"],
            "Postal Address": [["Galvanor SA", "Siège social", "12, rue de l'Industrie", "", "75011 PARIS",
                                "France"]],
            "Postal Code": ["75011"],
            "Detect Intruder": [True],
            "Lockout After Detection": [True],
            "Intruder Attempt Reset Interval": [1800],
            "Intruder Lockout Reset Interval": [DAY + 3600 + 61],
            "Login Script": [{"text": login_script("container", "PARIS1_DATA", "PARIS1")}],
            "Partition Creation Time": [{"seconds": calendar.timegm((1999, 3, 2, 9, 14, 5)), "event": 1}],
            "Synchronized Up To": [{"seconds": NOW - 300, "event": 4127}, {"seconds": NOW - 310, "event": 880}],
            "Replica": [
                {"server": "PARIS1.Informatique.Paris.Galvanor", "type": 0, "number": 1, "count": 1},
                {"server": "LYON1.Usine de Vénissieux.Lyon.Galvanor", "type": 1, "number": 2, "count": 1},
                {"server": "LILLE1.Lille.Galvanor", "type": 2, "number": 3, "count": 1},
            ],
        })))
    admin = p.user(o, paris, None, given="Admin", cn="Admin", no_surname=True)
    admin["values"].pop("Given Name")
    admin["values"].pop("Full Name", None)
    set_values(admin, {"Description": ["Administrateur de l'arbre"], "Login Grace Limit": [6],
                       "Login Disabled": [False],
                       "Network Address": [ipx_address(0x0A0B0C01), ip_address(10, 1, 0, 15, 524)]})
    set_values(o, {"ACL": [acl("[Entry Rights]", "Admin.Galvanor", 0x1F),
                           acl("[All Attributes Rights]", "Admin.Galvanor", 0x2F),
                           acl("[SMS Rights]", "Admin.Galvanor", 0x3F),
                           acl("[Entry Rights]", "[Public]", 0x01),
                           acl("Login Script", "[Root]", 0x02)]})

    def ou(parent, name, site=None, extra=None):
        return container(parent, t, "OU=" + name, "Organizational Unit",
                         base_values("Organizational Unit", container_values("OU", name, site, extra)))

    def staff(parent, site, count, titles):
        return [p.user(parent, site, rng.choice(titles)) for _ in range(count)]

    # Paris
    op = ou(o, "Paris", paris)
    siege = ou(op, "Siège", paris, {"Description": ["Siège social, bâtiment A"]})
    dg = ou(siege, "Direction Générale", paris)
    dgu = [p.user(dg, paris, "Président-directeur général", given="Hélène", surname="Dupré", cn="Hélène Dupré",
                  extra={"Telephone Number": ["+33 1 43 12 00 01", "+33 6 07 08 09 10", "+33 1 43 12 00 00"]}),
           p.user(dg, paris, "Directeur général délégué", given="François", surname="D'Arcy"),
           p.user(dg, paris, "Assistante de direction", given="Gaëlle", surname="Le Goff"),
           p.user(dg, paris, "Directeur administratif et financier", given="Jérôme", surname="Lebœuf"),
           p.user(dg, paris, "Chargée de communication", given="Noël", surname="Lefrançois")]
    dgu += staff(dg, paris, 3, ["Assistante de direction", "Chargé de mission", "Juriste"])
    rh = ou(siege, "Ressources Humaines", paris)
    rhu = staff(rh, paris, 3, ["Directrice des ressources humaines", "Assistante RH"])
    paie = ou(rh, "Paie", paris)
    paieu = staff(paie, paris, 8, ["Gestionnaire de paie", "Responsable paie", "Technicien paie"])
    recr = ou(rh, "Recrutement", paris)
    recru = staff(recr, paris, 6, ["Chargée de recrutement", "Chargé de recrutement", "Stagiaire RH"])
    fin = ou(siege, "Finances", paris)
    finu = staff(fin, paris, 2, ["Responsable financier", "Trésorier"])
    compta = ou(fin, "Comptabilité", paris, {"Description": ["Comptabilité générale, fournisseurs, clients"]})
    comptau = staff(compta, paris, 14, ["Comptable", "Comptable fournisseurs", "Aide-comptable",
                                        "Chef comptable", "Comptable clients"])
    cdg = ou(fin, "Contrôle de gestion", paris)
    cdgu = staff(cdg, paris, 6, ["Contrôleur de gestion", "Contrôleuse de gestion", "Analyste financier"])
    jur = ou(siege, "Juridique", paris)
    staff(jur, paris, 4, ["Juriste", "Juriste d'entreprise", "Responsable juridique"])

    it = ou(op, "Informatique", paris, {"Description": ["Direction des systèmes d'information (DSI)"]})
    itu = staff(it, paris, 3, ["Directeur des systèmes d'information", "Responsable sécurité informatique"])
    infra = ou(it, "Infrastructure", paris)
    infrau = staff(infra, paris, 10, ["Administrateur réseau", "Ingénieur système", "Technicien réseau"])
    etudes = ou(it, "Études et Développement", paris)
    etudesu = staff(etudes, paris, 14, ["Développeur", "Chef de projet", "Analyste programmeur",
                                        "Développeuse"])
    support = ou(it, "Support", paris)
    supportu = staff(support, paris, 10, ["Technicien support", "Technicienne support",
                                          "Responsable du support"])
    comm = ou(op, "Commercial", paris)
    gc = ou(comm, "Grands Comptes", paris)
    gcu = staff(gc, paris, 12, ["Ingénieur commercial", "Chargée d'affaires", "Directeur grands comptes"])
    export = ou(comm, "Export", paris)
    exportu = staff(export, paris, 8, ["Responsable export", "Assistante export", "Ingénieur commercial"])
    for u in exportu[:3]:
        u["values"]["Language"] = [["FRANÇAIS", "ENGLISH", "ESPAÑOL"]]

    # Lyon
    ol = ou(o, "Lyon", lyon_city, {
        "Replica": [{"server": "LYON1.Usine de Vénissieux.Lyon.Galvanor", "type": 0, "number": 1, "count": 1},
                    {"server": "PARIS1.Informatique.Paris.Galvanor", "type": 1, "number": 2, "count": 1}],
        "Partition Creation Time": [{"seconds": calendar.timegm((2001, 10, 8, 14, 2, 33)), "event": 3}],
    })
    usine = ou(ol, "Usine de Vénissieux", lyon, {
        "Login Script": [{"text": login_script("container", "LYON1_DATA", "LYON1")}],
        "Print Job Configuration": [{"text": crlf(["[Atelier]", "Queue=Q-ATELIER", "Copies=1", "Banner=Non",
                                                   "FormFeed=Oui", "Tabs=8"])}],
    })
    usineu = staff(usine, lyon, 3, ["Directeur d'usine", "Responsable HSE", "Assistante d'usine"])
    prod = ou(usine, "Production", lyon)
    produ = staff(prod, lyon, 2, ["Responsable de production", "Planificateur"])
    prod_titles = ["Opérateur de production", "Opératrice de production", "Chef d'équipe", "Régleur",
                   "Cariste", "Conducteur de ligne"]
    ea = ou(prod, "Équipe A", lyon)
    eau = staff(ea, lyon, 24, prod_titles)
    eb = ou(prod, "Équipe B", lyon)
    ebu = staff(eb, lyon, 24, prod_titles)
    en = ou(prod, "Équipe de nuit", lyon, {"Description": ["Poste de nuit, 21 h - 5 h"]})
    enu = staff(en, lyon, 16, prod_titles)
    maint = ou(usine, "Maintenance", lyon)
    maintu = staff(maint, lyon, 14, ["Technicien de maintenance", "Électromécanicien", "Automaticien",
                                     "Responsable maintenance"])
    qual = ou(usine, "Qualité", lyon)
    qualu = staff(qual, lyon, 10, ["Contrôleur qualité", "Ingénieure qualité", "Technicien de laboratoire",
                                   "Responsable qualité"])
    lcomm = ou(ol, "Commercial", lyon_city)
    lcommu = staff(lcomm, lyon_city, 10, ["Ingénieur commercial", "Technico-commercial", "Assistante commerciale"])
    # Homonyms: the same login in two containers of the tree.
    twin_a = p.user(gc, paris, "Ingénieur commercial", given="Jean", surname="Martin", cn="jmartin")
    twin_b = node(lcomm, t, "CN=jmartin", "User", base_values("User", {
        "CN": ["jmartin"], "Surname": ["Martin"], "Given Name": ["Julie"], "Full Name": ["Julie Martin"],
        "Title": ["Technico-commerciale"], "Telephone Number": ["+33 4 78 60 12 34"],
        "Internet EMail Address": ["julie.martin@galvanor.fr"], "Language": [["FRANÇAIS"]],
        "Login Grace Limit": [6], "Login Disabled": [False]}))
    gcu.append(twin_a)
    lcommu.append(twin_b)

    # Lille
    oli = ou(o, "Lille", lille, {
        "Replica": [{"server": "LILLE1.Lille.Galvanor", "type": 0, "number": 1, "count": 1},
                    {"server": "PARIS1.Informatique.Paris.Galvanor", "type": 2, "number": 2, "count": 1}],
        "Partition Creation Time": [{"seconds": calendar.timegm((2002, 1, 21, 8, 0, 0)), "event": 2}],
    })
    log = ou(oli, "Logistique", lille)
    logu = staff(log, lille, 2, ["Responsable logistique", "Responsable des flux"])
    ent = ou(log, "Entrepôt", lille)
    entu = staff(ent, lille, 25, ["Magasinier", "Préparatrice de commandes", "Cariste", "Chef de quai"])
    trans = ou(log, "Transport", lille)
    transu = staff(trans, lille, 12, ["Affréteur", "Chauffeur poids lourd", "Gestionnaire transport"])
    sc = ou(oli, "Service Clients", lille)
    scu = staff(sc, lille, 16, ["Conseiller clientèle", "Conseillère clientèle", "Superviseur"])

    # Marseille: a small agency, and an empty archive container.
    om = ou(o, "Marseille", marseille)
    agence = ou(om, "Agence Sud", marseille)
    agenceu = staff(agence, marseille, 5, ["Responsable d'agence", "Technico-commercial", "Assistante commerciale"])
    ou(om, "Archives", marseille, {"Description": ["Conteneur vide : comptes supprimés en 2003"]})

    # Users without a surname: bindery-migrated and service accounts.
    guest = p.user(o, paris, None, given="Invité", cn="GUEST", no_surname=True)
    set_values(guest, {"Login Disabled": [2], "Description": ["Compte invité, désactivé"]})
    p.user(support, paris, "Compte de service", given="Sauvegarde", cn="svc-sauvegarde", no_surname=True)
    p.user(infra, paris, "Compte de service", given="Supervision", cn="svc-supervision", no_surname=True)
    p.user(ent, lille, "Poste partagé", given="Quai", cn="quai1", no_surname=True)
    p.user(ent, lille, "Poste partagé", given="Quai", cn="quai2", no_surname=True)
    for u in rng.sample(p.users, 6):
        if u["values"].get("Surname") and u["_login"] not in ("Hélène Dupré", "jmartin"):
            u["values"].pop("Surname")
            u["values"].pop("Full Name", None)

    # Servers, volumes, printers and queues.
    def server(parent, cn, net, ip, description, site):
        return node(parent, t, "CN=" + cn, "NCP Server", base_values("NCP Server", {
            "CN": [cn], "Description": [description], "L": [site.city],
            "Network Address": [ipx_address(net), ip_address(*ip, 524)],
            "Version": ["5.60 révision 2"], "DS Revision": [10552], "Status": [2],
            "Supported Services": ["Fichiers", "Impression", "Annuaire"],
            "Operator": ["Admin.Galvanor"],
            "Public Key": [{"hex": "3082010A0282010100" + hexbytes(40)}],
            "Private Key": [{"hex": hexbytes(48)}],
            "Certificate Chain": [["3082030A", "020101", "300D06092A864886F70D010105"]],
            "ACL": [acl("[Entry Rights]", "Admin.Galvanor", 0x1F), acl("[All Attributes Rights]", "[Public]", 0x02),
                    acl("Network Address", "[Root]", 0x02)],
        }))

    def volume(parent, cn, host, resource):
        return node(parent, t, "CN=" + cn, "Volume", base_values("Volume", {
            "CN": [cn], "Host Server": [host], "Host Resource Name": [resource], "Status": [1],
            "Description": ["Volume %s du serveur %s" % (resource, host.split(".")[0])]}))

    paris1 = server(it, "PARIS1", 0x0A0B0C01, (10, 1, 0, 10), "Serveur de fichiers du siège", paris)
    server(it, "PARIS2", 0x0A0B0C02, (10, 1, 0, 11), "Serveur applicatif (paie, comptabilité)", paris)
    volume(it, "PARIS1_SYS", "PARIS1.Informatique.Paris.Galvanor", "SYS")
    volume(it, "PARIS1_DATA", "PARIS1.Informatique.Paris.Galvanor", "DATA")
    volume(it, "PARIS2_SYS", "PARIS2.Informatique.Paris.Galvanor", "SYS")
    lyon1 = server(usine, "LYON1", 0x0A0B0D01, (10, 2, 0, 10), "Serveur de l'usine", lyon)
    volume(usine, "LYON1_SYS", "LYON1.Usine de Vénissieux.Lyon.Galvanor", "SYS")
    volume(usine, "LYON1_DATA", "LYON1.Usine de Vénissieux.Lyon.Galvanor", "DATA")
    server(oli, "LILLE1", 0x0A0B0E01, (10, 3, 0, 10), "Serveur du site de Lille", lille)
    volume(oli, "LILLE1_SYS", "LILLE1.Lille.Galvanor", "SYS")
    volume(oli, "LILLE1_DATA", "LILLE1.Lille.Galvanor", "DATA")
    node(it, t, "CN=PS-PARIS", "Print Server", base_values("Print Server", {
        "CN": ["PS-PARIS"], "Description": ["Serveur d'impression du siège"], "SAP Name": ["PS-PARIS"],
        "Status": [1], "Operator": ["Admin.Galvanor"], "Host Device": ["PARIS1.Informatique.Paris.Galvanor"]}))
    node(it, t, "CN=Applications", "Directory Map", base_values("Directory Map", {
        "CN": ["Applications"], "Host Server": ["PARIS1.Informatique.Paris.Galvanor"],
        "Path": [{"nameSpace": 4, "volume": "PARIS1_DATA.Informatique.Paris.Galvanor",
                  "path": "APPS\\Bureautique, version 2004"}],
        "Description": ["Chemin des applications partagées"]}))

    printers = []

    def printer(parent, cn, queue_volume, description, pdl, notify, colour=False):
        q = node(parent, t, "CN=Q-" + cn, "Queue", base_values("Queue", {
            "CN": ["Q-" + cn], "Queue Directory": ["DATA:QUEUES\\" + hexbytes(4) + ".QDR"],
            "Volume": [queue_volume],
            "Operator": ["Admin.Galvanor"], "Description": ["File d'attente de " + cn]}))
        pr = node(parent, t, "CN=" + cn, "Printer", base_values("Printer", {
            "CN": [cn], "Description": [description], "Page Description Language": pdl,
            "Memory": [rng.choice([32, 64, 128])], "Status": [rng.choice([1, 1, 1, 3])],
            "Queue": [t.full(q)], "Default Queue": [t.full(q)],
            "Print Server": [{"name": "PS-PARIS.Informatique.Paris.Galvanor", "level": 0, "interval": 0}],
            "Notify": [{"name": t.full(n), "level": 1, "interval": 5} for n in notify] +
                      [{"name": "Admin.Galvanor", "level": 2, "interval": 15}],
            "Network Address": [ip_address(10, rng.randint(1, 3), 1, rng.randint(20, 250))],
            "Serial Number": ["SN" + hexbytes(4)],
            "Printer Configuration": [{"text": "A4;recto-verso;%s;bac 2" % ("couleur" if colour else "noir")}],
        }))
        q["values"]["Device"] = [t.full(pr)]
        set_values(q, {"Server": ["PS-PARIS.Informatique.Paris.Galvanor"]})
        printers.append(pr)
        return pr

    printer(compta, "IMP-COMPTA", "PARIS1_DATA.Informatique.Paris.Galvanor", "Laser A4, 2e étage, bureau 214",
            ["PCL5e", "PostScript"], comptau[:1])
    printer(rh, "IMP-RH", "PARIS1_DATA.Informatique.Paris.Galvanor", "Imprimante \"confidentielle\" des RH",
            ["PCL6"], rhu[:1])
    printer(dg, "IMP-DG-COULEUR", "PARIS1_DATA.Informatique.Paris.Galvanor", "Couleur, salle du conseil",
            ["PostScript"], dgu[2:3], colour=True)
    printer(support, "IMP-SUPPORT", "PARIS1_DATA.Informatique.Paris.Galvanor", "Étiquettes et inventaire",
            ["ZPL"], supportu[:2])
    printer(ea, "IMP-ATELIER-A", "LYON1_DATA.Usine de Vénissieux.Lyon.Galvanor", "Atelier, ligne 1",
            ["PCL5e"], eau[:1])
    printer(qual, "IMP-QUALITE", "LYON1_DATA.Usine de Vénissieux.Lyon.Galvanor", "Laboratoire qualité",
            ["PCL6", "PostScript"], qualu[:1])
    printer(ent, "IMP-QUAI", "LILLE1_DATA.Lille.Galvanor", "Bons de livraison, quai 3", ["PCL5e"], entu[:1])

    # Groups.
    group(t, o, "Administrateurs", "Administrateurs de l'arbre GALVANOR", [admin] + itu[:2] + infrau[:3],
          {"Owner": ["Admin.Galvanor"]})
    group(t, compta, "Comptables", "Accès aux dossiers COMPTA et au progiciel comptable", comptau + finu[:1],
          {"Mailbox ID": ["COMPTA"], "EMail Address": [{"type": 0, "address": "SMTP:compta@galvanor.fr"}]})
    group(t, it, "Informaticiens", "Équipe de la DSI, toutes cellules", itu + infrau + etudesu + supportu)
    group(t, it, "Accès VPN", "Connexion à distance autorisée, y compris \"nomades\"",
          dgu[:4] + gcu + exportu + rng.sample(itu + infrau + supportu, 6))
    group(t, paie, "Paie confidentielle", "Lecture et écriture des bulletins de paie, accès restreint", paieu + rhu[:1])
    group(t, support, "Équipe d'astreinte", "Astreinte informatique : soirs, week-ends et jours fériés",
          supportu[:5] + infrau[:3])
    group(t, usine, "Encadrement usine", "Chefs d'équipe et responsables de l'usine",
          usineu + produ + [u for u in eau + ebu + enu if u["values"].get("Title") == ["Chef d'équipe"]])
    group(t, usine, "Imprimante couleur", "Utilisateurs autorisés de l'imprimante couleur", [])
    group(t, oli, "Logistique Lille", "Tout le personnel logistique de Lille", logu + entu + transu)
    group(t, siege, "Tous siège", "Toutes les personnes du siège",
          dgu + rhu + paieu + recru + finu + comptau + cdgu)

    # A role and a profile at the top.
    node(o, t, "CN=Responsable sécurité", "Organizational Role", base_values("Organizational Role", {
        "CN": ["Responsable sécurité"], "Role Occupant": [t.full(itu[1])],
        "Telephone Number": ["+33 1 43 12 00 99"], "Description": ["RSSI ; joignable 24 h/24"]}))
    prof = node(o, t, "CN=Profil standard", "Profile", base_values("Profile", {
        "CN": ["Profil standard"], "Login Script": [{"text": login_script("profile", "PARIS1_DATA", "PARIS1")}],
        "Description": ["Profil de connexion commun"]}))
    for u in rng.sample(p.users, 40):
        set_values(u, {"Profile": [t.full(prof)]})
    for u in rng.sample(p.users, 3):
        set_values(u, {"Network Address Restriction": [ipx_address(0x0A0B0C01)]})
    set_values(paris1, {"Resource": [t.full(n) for n in printers[:2]]})
    back_links(t, p.users, lyon1, 8)
    return t, p


# ---------------------------------------------------------------------------------------------
# CHVALMONT


def build_chvalmont():
    t = Tree("CHVALMONT", "ch-valmont.fr")
    nord = Site("Valmont", "Haute-Normandie", "76540", "1, rue du Docteur-Roux", "+33 2 35", "+33 2 32",
                "CHV-NORD1", "CHV-NORD1_DATA.Informatique.Services Techniques.Direction.CHValmont.FR")
    sud = Site("Valmont", "Haute-Normandie", "76540", "Route de Fécamp", "+33 2 27", "+33 2 27",
               "CHV-SUD1", "CHV-SUD1_DATA.Technique.Site Sud.CHValmont.FR")
    p = People(t, "CHValmont", hospital=True)

    fr = container(None, t, "C=FR", "Country", base_values("Country", {"C": ["FR"], "Description": ["France"]}))
    o = container(fr, t, "O=CHValmont", "Organization", base_values("Organization", container_values(
        "O", "CHValmont", nord, {
            "Description": ["Centre hospitalier de Valmont"],
            "Facsimile Telephone Number": [{"number": "+33 2 35 11 00 00", "parameters": "0103"}],
            "Intruder Lockout Reset Interval": [3600], "Intruder Attempt Reset Interval": [60],
            "Detect Intruder": [True], "Lockout After Detection": [False],
            "Replica": [{"server": "CHV-NORD1.Informatique.Services Techniques.Direction.CHValmont.FR", "type": 0,
                         "number": 1, "count": 1},
                        {"server": "CHV-SUD1.Technique.Site Sud.CHValmont.FR", "type": 1, "number": 2, "count": 2}],
            "Partition Creation Time": [{"seconds": calendar.timegm((2000, 5, 17, 16, 45, 0)), "event": 1}],
        })))
    admin = p.user(o, nord, None, given="Admin", cn="Admin", no_surname=True)
    admin["values"].pop("Given Name")
    admin["values"].pop("Full Name", None)
    admin["values"].pop("Matricule")

    def ou(parent, name, site=None, extra=None):
        return container(parent, t, "OU=" + name, "Organizational Unit",
                         base_values("Organizational Unit", container_values("OU", name, site, extra)))

    def loc(parent, name, site):
        return container(parent, t, "L=" + name, "Locality", base_values("Locality", {
            "L": [name], "S": [site.region], "SA": [site.street], "Description": ["Site hospitalier " + name]}))

    def staff(parent, site, count, titles, medical=None):
        out = []
        for _ in range(count):
            u = p.user(parent, site, rng.choice(titles))
            if medical and rng.random() < 0.8:
                set_values(u, {"Numéro RPPS": ["10%09d" % rng.randrange(10 ** 9)],
                               "Spécialité": rng.sample(medical, rng.randint(1, min(2, len(medical))))})
            out.append(u)
        return out

    direction = ou(o, "Direction", nord, {"Description": ["Direction générale et administration"]})
    diru = [p.user(direction, nord, "Directeur", given="Noël", surname="Lefèvre", cn="Noël Lefèvre")]
    diru += staff(direction, nord, 4, ["Directeur", "Directrice adjointe", "Attachée d'administration",
                                      "Secrétaire de direction"])
    soins = ou(direction, "Direction des Soins", nord)
    soinsu = staff(soins, nord, 4, ["Directrice des soins", "Cadre supérieur de santé"])
    st = ou(direction, "Services Techniques", nord)
    stu = staff(st, nord, 2, ["Ingénieur travaux", "Responsable des services techniques"])
    info = ou(st, "Informatique", nord, {"Login Script": [{"text": login_script("container", "CHV-NORD1_DATA",
                                                                                 "CHV-NORD1")}]})
    infou = staff(info, nord, 6, ["Technicien informatique", "Ingénieur système", "Responsable informatique"])
    res = ou(info, "Réseaux", nord)
    resu = staff(res, nord, 4, ["Administrateur réseau", "Technicien réseau"])

    sn = loc(o, "Site Nord", nord)
    med = ou(sn, "Pôle Médecine", nord)
    cardio = ou(med, "Cardiologie", nord)
    nurse = ["Infirmière", "Infirmier", "Aide-soignante", "Aide-soignant", "Cadre de santé", "Secrétaire médicale"]
    cardiou = staff(cardio, nord, 10, nurse) + staff(cardio, nord, 4, ["Cardiologue", "Praticien hospitalier",
                                                                        "Interne"], ["Cardiologie"])
    si = ou(cardio, "Soins Intensifs", nord)
    siu = staff(si, nord, 10, nurse + ["Médecin réanimateur"], ["Réanimation", "Cardiologie"])
    pneumo = ou(med, "Pneumologie", nord)
    pneumou = staff(pneumo, nord, 8, nurse) + staff(pneumo, nord, 4, ["Pneumologue", "Interne"], ["Pneumologie"])
    chir = ou(sn, "Pôle Chirurgie", nord)
    bloc = ou(chir, "Bloc Opératoire", nord, {"Description": ["Bloc central, 8 salles"]})
    blocu = staff(bloc, nord, 10, ["Infirmière de bloc opératoire", "Aide-soignant", "Brancardier"]) + \
        staff(bloc, nord, 5, ["Chirurgien", "Chirurgienne orthopédiste"], ["Chirurgie orthopédique",
                                                                           "Chirurgie viscérale"])
    anest = ou(chir, "Anesthésie", nord)
    anestu = staff(anest, nord, 8, ["Médecin anesthésiste", "Infirmier anesthésiste"], ["Anesthésie-réanimation"])

    ss = loc(o, "Site Sud", sud)
    me = ou(ss, "Pôle Mère-Enfant", sud)
    ped = ou(me, "Pédiatrie", sud)
    pedu = staff(ped, sud, 9, nurse + ["Puéricultrice", "Auxiliaire de puériculture"]) + \
        staff(ped, sud, 3, ["Pédiatre"], ["Pédiatrie"])
    mat = ou(me, "Maternité", sud)
    matu = staff(mat, sud, 10, ["Sage-femme", "Auxiliaire de puériculture", "Aide-soignante"]) + \
        staff(mat, sud, 4, ["Gynécologue-obstétricien"], ["Gynécologie-obstétrique"])
    p.user(mat, sud, "Poste de soins partagé", given="Salle de naissance", cn="salle-naissance", no_surname=True)
    p.user(info, nord, "Compte de service", given="Interfaces", cn="svc-interfaces", no_surname=True)

    def server(parent, cn, ip, description, site):
        return node(parent, t, "CN=" + cn, "NCP Server", base_values("NCP Server", {
            "CN": [cn], "Description": [description], "L": [site.city],
            "Network Address": [ip_address(*ip), ip_address(*ip, 524)], "Version": ["6.50"],
            "DS Revision": [10553], "Status": [2], "Operator": ["Admin.CHValmont.FR"],
            "Private Key": [{"hex": hexbytes(32)}]}))

    server(info, "CHV-NORD1", (172, 16, 1, 10), "Serveur principal, salle informatique Nord", nord)
    node(info, t, "CN=CHV-NORD1_DATA", "Volume", base_values("Volume", {
        "CN": ["CHV-NORD1_DATA"], "Host Server": ["CHV-NORD1.Informatique.Services Techniques.Direction.CHValmont.FR"],
        "Host Resource Name": ["DATA"], "Status": [1]}))
    tech_sud = ou(ss, "Technique", sud, {"Description": ["Locaux techniques du site Sud"]})
    sud1 = server(tech_sud, "CHV-SUD1", (172, 16, 2, 10), "Serveur du site Sud", sud)
    node(tech_sud, t, "CN=CHV-SUD1_DATA", "Volume", base_values("Volume", {
        "CN": ["CHV-SUD1_DATA"], "Host Server": ["CHV-SUD1.Technique.Site Sud.CHValmont.FR"], "Host Resource Name": ["DATA"],
        "Status": [1]}))
    for parent, cn, vol in ((cardio, "IMP-CARDIO", nord.volume), (ped, "IMP-PEDIATRIE", sud.volume),
                            (bloc, "IMP-BLOC", nord.volume)):
        q = node(parent, t, "CN=Q-" + cn, "Queue", base_values("Queue", {
            "CN": ["Q-" + cn], "Queue Directory": ["DATA:QUEUES\\" + hexbytes(4) + ".QDR"], "Volume": [vol]}))
        node(parent, t, "CN=" + cn, "Printer", base_values("Printer", {
            "CN": [cn], "Queue": [t.full(q)], "Page Description Language": ["PCL6"], "Status": [1],
            "Notify": [{"name": "Admin.CHValmont.FR", "level": 1, "interval": 10}]}))

    group(t, o, "Médecins", "Corps médical, tous pôles",
          [u for u in p.users if "Numéro RPPS" in u["values"]])
    group(t, o, "Accès DPI", "Accès au dossier patient informatisé",
          cardiou + siu + pneumou + blocu + anestu + pedu + matu + soinsu)
    group(t, info, "Astreinte informatique", "Astreinte : \"bip\" 4242, de 18 h à 8 h", infou[:4] + resu[:2],
          {"Owner": [t.full(infou[0])]})
    group(t, direction, "Comité de direction", "Membres du comité de direction", diru + soinsu[:1] + stu[:1])
    back_links(t, p.users, sud1, 4)
    return t, p


# ---------------------------------------------------------------------------------------------
# Output


def strip(n):
    out = {"name": n["name"], "class": n["class"], "values": n["values"]}
    if "children" in n:
        out["children"] = [strip(c) for c in n["children"]]
    return out


def dump(value):
    return json.dumps(value, ensure_ascii=False, separators=(", ", ": "))


def write_object(out, obj, indent):
    pad = " " * indent
    head = '%s{"name": %s, "class": %s, "values": %s' % (pad, dump(obj["name"]), dump(obj["class"]),
                                                           dump(obj["values"]))
    if "children" not in obj:
        out.append(head + "}")
        return
    if not obj["children"]:
        out.append(head + ', "children": []}')
        return
    out.append(head + ', "children": [')
    for i, child in enumerate(obj["children"]):
        write_object(out, child, indent + 2)
        if i + 1 < len(obj["children"]):
            out[-1] += ","
    out.append(pad + "]}")


def write_tree(out, tree, identity, default_context, tree_schema, last):
    out.append("    {")
    out.append('      "name": %s,' % dump(tree.name))
    out.append('      "identity": %s,' % dump(identity))
    out.append('      "defaultContext": %s,' % dump(default_context))
    out.append('      "schema": {')
    out.append('        "attributes": [')
    attrs = tree_schema["attributes"]
    for i, a in enumerate(attrs):
        out.append("          " + dump(a) + ("," if i + 1 < len(attrs) else ""))
    out.append("        ],")
    out.append('        "classes": [')
    classes = tree_schema["classes"]
    for i, c in enumerate(classes):
        out.append("          " + dump(c) + ("," if i + 1 < len(classes) else ""))
    out.append("        ]")
    out.append("      },")
    out.append('      "objects": [')
    for i, root in enumerate(tree.roots):
        write_object(out, strip(root), 8)
        if i + 1 < len(tree.roots):
            out[-1] += ","
    out.append("      ]")
    out.append("    }" + ("" if last else ","))


def main():
    target = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "data" / \
        "demo-directory.json"
    galvanor, _ = build_galvanor()
    chvalmont, _ = build_chvalmont()
    pad = lambda name: name + "_" * (32 - len(name))
    out = ["{"]
    # The client pads tree names with underscores; the workstation holds two connections to GALVANOR.
    out.append('  "connections": %s,' % dump([pad("GALVANOR"), pad("CHVALMONT"), pad("GALVANOR")]))
    out.append('  "trees": [')
    write_tree(out, galvanor, "Admin.Galvanor", "Paris.Galvanor", schema(), last=False)
    write_tree(out, chvalmont, "Admin.CHValmont.FR", "Site Nord.CHValmont.FR",
               schema(HOSPITAL_ATTRIBUTES, [a[0] for a in HOSPITAL_ATTRIBUTES]), last=True)
    out.append("  ]")
    out.append("}")
    target.write_text("\n".join(out) + "\n", encoding="utf-8")


if __name__ == "__main__":
    main()
