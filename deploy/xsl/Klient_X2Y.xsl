<?xml version="1.0" encoding="UTF-8"?>
<!-- 1.0.0 Klient: plik TZamer_Klient na plik TPelk_Obiekt (typ 102) -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:include href="Obiekt_X2Y.xsl"/>
  <!-- Object type of the klientów in the GIS dictionary. -->
  <xsl:variable name="ObiektTyp" select="102"/>
</xsl:stylesheet>
