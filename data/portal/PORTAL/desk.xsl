<?xml version="1.0" encoding="WINDOWS-1251"?>
<!DOCTYPE xsl:stylesheet SYSTEM "main.dtd">
<!--
  The portal's page stylesheet. A skin stylesheet imports it and overrides the
  desk template and the zone templates; what it leaves out falls back to the
  plain layout below. The page source is the current profile's desk from
  desk.xml with each container holding its web part (WebPart, with the
  identifier in its ID attribute) and, for parts rendered through their own
  XSL, the output in Rendered.
-->
<xsl:stylesheet xmlns:xsl="http://www.w3.org/1999/XSL/Transform" version="1.0">
<xsl:output method="html" encoding="UTF-8"/>

<xsl:template match="/">
  <html>
    <head>
      <title>Ombrelio Start Page</title>
      <link rel="stylesheet" type="text/css" href="&SkinsPath;&CurrentSkin;/skin.css"/>
      <script type="text/javascript" src="&Server;portal.js"></script>
    </head>
    <body>
      <xsl:apply-templates select="desks/desk[@ID='&CurrentDesk;']"/>
    </body>
  </html>
</xsl:template>

<!-- Without a skin's desk template: the zones one below the other. -->
<xsl:template match="desk">
  <xsl:apply-templates select="header"/>
  <xsl:for-each select="zone">
    <div class="zone" id="zone{@ID}">
      <xsl:apply-templates select=".//container[@visible='true']/WebPart"/>
    </div>
  </xsl:for-each>
  <xsl:apply-templates select="footer"/>
</xsl:template>

<xsl:template match="header">
  <h1 class="header"><xsl:value-of select="."/></h1>
</xsl:template>

<xsl:template match="footer">
  <div class="footer"><xsl:value-of select="."/></div>
</xsl:template>

<!-- A web part that no zone template of the skin takes. -->
<xsl:template match="WebPart">
  <div class="webpart" id="wp_{@ID}">
    <div class="title"><xsl:call-template name="DrawTitle"/><xsl:call-template name="DrawMenu"/></div>
    <xsl:call-template name="DrawContent"/>
  </div>
</xsl:template>

<xsl:template name="DrawTitle">
  <span class="webpart-title"><xsl:value-of select="Title"/></span>
</xsl:template>

<xsl:template name="DrawMenu">
  <span class="webpart-menu">
    <xsl:if test="AllowMinimize='1'">
      <a href="javascript:toggleAndSaveWebpart('{@ID}');" title="&MinimizeWebPart;">_</a>
    </xsl:if>
    <xsl:if test="AllowRemove='1'">
      <a href="&Server;remove?ID={@ID}" title="Remove">x</a>
    </xsl:if>
  </span>
</xsl:template>

<!-- The content: the rendered output, the markup of the part, or its page. -->
<xsl:template name="DrawContent">
  <div class="webpart-content" id="content_{@ID}">
    <xsl:choose>
      <xsl:when test="Rendered">
        <xsl:value-of select="Rendered" disable-output-escaping="yes"/>
      </xsl:when>
      <xsl:when test="Content/node()">
        <xsl:for-each select="Content/node()">
          <xsl:choose>
            <xsl:when test="self::text()"><xsl:value-of select="." disable-output-escaping="yes"/></xsl:when>
            <xsl:otherwise><xsl:copy-of select="."/></xsl:otherwise>
          </xsl:choose>
        </xsl:for-each>
      </xsl:when>
      <xsl:when test="starts-with(ContentLink, 'http') and ContentLink!='http://'">
        <iframe src="{ContentLink}" frameborder="0" width="100%" height="{Height}"></iframe>
      </xsl:when>
      <xsl:otherwise>
        <xsl:value-of select="NoContent" disable-output-escaping="yes"/>
      </xsl:otherwise>
    </xsl:choose>
  </div>
</xsl:template>

<xsl:template match="text()"/>
</xsl:stylesheet>
