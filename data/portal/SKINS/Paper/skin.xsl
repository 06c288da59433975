<?xml version="1.0" encoding="WINDOWS-1251"?>
<!DOCTYPE xsl:stylesheet SYSTEM "..\..\main.dtd">
<xsl:stylesheet xmlns:xsl="http://www.w3.org/1999/XSL/Transform" version="1.0">
<xsl:import href="&BinaryPath;desk.xsl"/>
</xsl:stylesheet>