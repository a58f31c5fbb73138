#pragma once
// A fresh home of the monitoring system for one test: built from a plant
// description (the demo plant by default) in a temporary folder, with
// $ORPA_HOME pointing at it and the record store reading its data folder.
// On destruction every table is closed, the previous $ORPA_HOME is restored
// and the folder is removed.

#include <QTemporaryDir>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class TestHome {
public:
    // Builds the home; a failure is reported as a test failure and leaves ok() false.
    explicit TestHome(const std::string& description = {});
    ~TestHome();
    TestHome(const TestHome&) = delete;
    TestHome& operator=(const TestHome&) = delete;

    bool ok() const { return m_ok; }
    // The home folder, ending with '/'.
    const std::string& path() const { return m_path; }
    // The data folder of the tables (`Install`/`DATADir`), ending with '/'.
    std::string dataDir() const;
    // ORPA.INI of the home.
    std::string iniFile() const;
    // A file of the home by name.
    std::string file(const std::string& name) const;

    // Every record of a table in key 0 order. The table is opened for the read
    // and closed again unless it was open already. Fails the test and returns
    // nothing when the table cannot be read.
    static std::vector<std::vector<uint8_t>> records(const std::string& table);

    // Gives a gateway's network configuration record another net-configuration
    // stamp, so that its upload finds the configuration out of date.
    static void setNetConfigStamp(const std::string& gatewayAddress, uint16_t stamp);

    // Inserts a function's header into MCDEF (a test failure when it cannot).
    static void addFunction(uint8_t number, uint8_t type, const std::string& name, uint8_t flags = 0);

    // Sets one key of one of the home's ini files (ORPA.INI, QebType.ini, USER.INI).
    void setIni(const std::string& fileName, const std::string& section, const std::string& key,
                const std::string& value) const;

private:
    QTemporaryDir m_dir;
    std::string m_path;
    bool m_ok = false;
    std::optional<std::string> m_previousHome;
};
